#include "game/display/colour_pairs.h"

using C = ConsoleColour;

const ColourPair colourPairs[colourPairCount] = {
    {1, C::LightGrey, C::Black},       // texts, frame, crosshair
    {2, C::Yellow, C::Black},          // cloud of a single-colour burst
    {3, C::BrightRed, C::Black},       // cloud of a multi-colour burst; formation dot
    {4, C::White, C::Black},
    {5, C::DarkGrey, C::Black},        // stars and the formation
    {6, C::LightGrey, C::Black},       // explosion colour 1
    {7, C::Yellow, C::Black},          // explosion colour 2
    {8, C::BrightRed, C::Red},         // explosion colour 3; health bar
    {9, C::BrightBlue, C::Blue},       // fireworks 1; power-up marker; enemies bar
    {10, C::BrightMagenta, C::Magenta},  // fireworks 2; enemy shots
    {11, C::BrightGreen, C::Green},    // fireworks 3; player shots
    {12, C::BrightBlue, C::Black},     // power-up dot
};

chtype pairAttributes[colourPairCount + 1] = {
    0,
    COLOR_PAIR(1), COLOR_PAIR(2), COLOR_PAIR(3), COLOR_PAIR(4),
    COLOR_PAIR(5), COLOR_PAIR(6), COLOR_PAIR(7), COLOR_PAIR(8),
    COLOR_PAIR(9), COLOR_PAIR(10), COLOR_PAIR(11), COLOR_PAIR(12),
};

#include "game/world/ending.h"

#include "game/display/colour_pairs.h"
#include "game/gfx/factories.h"

namespace {

struct EndingLine {
  const char* text;
  float seconds;
  Vec2i position;  // console column, row
};

struct EndingBurst {
  int count;
  Vec2i position;  // world column, row
};

// The lines go away one after the other, the end message first.
const EndingLine endingLines[] = {
    {"KONIEC - Zabiles wszystkie Kravo Sansy!", 5.0f, {10, 10}},
    {"Dyplom za ukonczenie gry zostanie dostarczony poczta...", 6.0f, {10, 11}},
    {"game by .m0rk", 7.0f, {11, 13}},
    {"strona: https://serifall.example.org", 8.0f, {12, 14}},
    {"kontakt: serifall@example.org", 9.0f, {13, 15}},
    {"game created using trevin engine (.vin) ;)", 10.0f, {14, 17}},
};

const EndingBurst endingBursts[] = {
    {3, {55, 15}}, {3, {55, 15}}, {2, {35, 15}}, {1, {50, 5}}, {1, {2, 5}}, {1, {60, 5}}, {1, {13, 85}},
};

}  // namespace

void playEnding() {
  for (const EndingLine& line : endingLines) makeText(line.text, pairText, line.seconds, line.position);
  for (const EndingBurst& burst : endingBursts) makeFireworks(burst.count, 'a', true, true, burst.position);
}

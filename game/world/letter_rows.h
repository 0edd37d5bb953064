// The letter shapes as packed row words: one uint32 per grid row, bit 31 is
// grid column 0 and bit 0 is grid column 31. The live tables are unpacked
// from these (see resetLetters).
#pragma once

#include <cstdint>

#include "game/world/letters.h"

extern const uint32_t letterRowWords[letterCount][gridSize];

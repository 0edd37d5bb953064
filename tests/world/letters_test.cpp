#include <gtest/gtest.h>

#include "game/world/letters.h"

// Bit 31 is column 0: row 2 of the A is set over columns 18..20 only, and a
// letter read the other way round would be drawn mirrored.
TEST(Letters, BitOrder) {
  resetLetters();
  for (int c = 0; c < gridSize; ++c) EXPECT_EQ(letterGrids[0][gridSize * 2 + c], c >= 18 && c <= 20) << c;
}

// A digit transposed in a row word keeps the cell count but not the shape:
// each table's cells, row by row, hash (FNV-1a) to the value of its letter.
TEST(Letters, EachShapeHashesToItsLetter) {
  const uint32_t hashes[letterCount] = {
      0x265EBFEAu, 0x462AEA10u, 0x2DECA17Du, 0x79BD401Eu, 0xABE1273Bu, 0xAD5C2304u, 0xC99C75BBu, 0x0A884F0Bu,
      0x62BFD2C5u, 0x19D32980u, 0xBF6836D9u, 0x378B16CBu, 0xABA60CF4u, 0xA6B7CF40u, 0x36AF222Fu, 0xFF4D2186u,
      0xA589971Du, 0xEBEC3DDDu, 0xF2E60F91u, 0x1E08B4E2u, 0xAED5D306u, 0x011C4D74u, 0x3B3EF3A6u,
  };
  resetLetters();
  for (int i = 0; i < letterCount; ++i) {
    uint32_t hash = 2166136261u;
    for (uint8_t cell : letterGrids[i]) hash = (hash ^ cell) * 16777619u;
    EXPECT_EQ(hash, hashes[i]) << "ABCDEFGHIJKLMNOPRSTOWYZ"[i];
  }
}

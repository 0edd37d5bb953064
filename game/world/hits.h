// Where a landing player shot kills: the two hit tests.
#pragma once

#include <cstdint>

// Aimed mode: kills the disc of killRadius around the landing cell when that
// cell shows a live enemy. Returns whether it did.
bool aimedHit(int32_t row, int32_t col);
// Spread mode and the power-up: each live cell closer than radius dies with
// the given chance (always when chance is negative). Returns whether any died.
bool areaHit(int32_t row, int32_t col, float radius, float chance);

// The "GunOfKravoDeath" power-up: a marker placed at random on the world,
// taken by bringing it under the crosshair, then ten seconds in which every
// landing shot destroys all enemies within eight cells.
#pragma once

#include <cstdint>

extern bool powerUpActive;
extern float powerUpMarkerTime;  // marker shown while above 0
extern int32_t powerUpRow;
extern int32_t powerUpCol;

// Frame-loop state of the power-up.
extern float powerUpSpawnTimer;
extern float powerUpTimeLeft;

// The start of a game: a marker shown at the world origin, the first
// placement in five seconds.
void resetPowerUp();

// Placement, marker, pick-up and countdown text; one frame's worth.
void updatePowerUp(float frameTime);

// Draws the 4 x 4 block of 'G' around the marker; leaves pair 9 selected.
void drawPowerUp();

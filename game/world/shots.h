// Player and enemy shots and the weapon parameters.
#pragma once

#include <cstdint>
#include <list>

struct ShotRecord {
  int32_t row;
  int32_t col;
  float timeLeft;
};

struct CombatParams {
  float fireInterval;
  float shotFlightTime;
  float killRadius;
  float killChance;
  bool aimedMode;
  float enemyReloadMin;
  float enemyReloadMax;
};

extern std::list<ShotRecord> playerShots;
extern std::list<ShotRecord> enemyShots;
extern CombatParams combatParams;
// Enemy shots that reached the player since the frame loop last looked.
extern int32_t hitsTaken;

// Empties both lists, zeroes hitsTaken and restores the level-A parameters.
void resetShots();

void spawnEnemyShot();
void updateEnemyShots(float dt);
void updatePlayerShots(float dt);

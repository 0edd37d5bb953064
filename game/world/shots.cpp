#include "game/world/shots.h"

#include <vector>

#include "game/display/colour_pairs.h"
#include "game/display/console_cell.h"
#include "game/display/formation.h"
#include "game/gfx/factories.h"
#include "game/loop/powerup.h"
#include "game/loop/random.h"
#include "game/loop/state.h"
#include "game/world/hits.h"
#include "game/world/letters.h"
#include "game/world/levels.h"

std::list<ShotRecord> playerShots;
std::list<ShotRecord> enemyShots;
CombatParams combatParams;
int32_t hitsTaken;

void resetShots() {
  playerShots.clear();
  enemyShots.clear();
  combatParams = CombatParams{1.0f, 3.0f, 2.0f, 0.2f, true, 5.0f, 10.0f};
  hitsTaken = 0;
}

namespace {

// The start values are the reset's, before main runs as for every module.
[[maybe_unused]] const bool shotsStarted = (resetShots(), true);

// The enemies' shots take this long to arrive, at every level.
constexpr float enemyShotTravel = 3.0f;

struct Offset {
  int32_t row;
  int32_t col;
};

const Offset innerRing[4] = {{1, 0}, {0, 1}, {0, -1}, {-1, 0}};
const Offset outerRing[8] = {{1, -1}, {1, 1}, {-1, -1}, {-1, 1}, {0, -2}, {2, 0}, {0, 2}, {-2, 0}};

void drawWorldCell(int64_t row, int64_t col, char ch) { plotCell(row + viewRow, col + viewCol, ch); }

template <size_t N> void drawRing(const Offset (&ring)[N], const ShotRecord& shot) {
  for (const Offset& o : ring)
    drawWorldCell(int64_t{shot.row} + o.row, int64_t{shot.col} + o.col, enemyGlyph);
}

void drawEnemyShot(const ShotRecord& shot) {
  // The centre is always an 'A', whatever the level; only the rings take the
  // level's letter.
  drawWorldCell(shot.row, shot.col, 'A');
  if (shot.timeLeft < 1.0f) drawRing(outerRing, shot);
  if (shot.timeLeft < 2.0f) drawRing(innerRing, shot);
}

void drawPlayerShot(const ShotRecord& shot) {
  // The thresholds follow the flight time in force now, which a level change
  // may have altered while the shot was in flight.
  const float flight = combatParams.shotFlightTime;
  drawWorldCell(shot.row, shot.col, enemyGlyph);
  if (shot.timeLeft > flight * (2.0f / 3.0f)) drawRing(outerRing, shot);
  if (shot.timeLeft > flight * (1.0f / 3.0f)) drawRing(innerRing, shot);
}

bool hitTest(const ShotRecord& shot) {
  if (powerUpActive) return areaHit(shot.row, shot.col, 8.0f, -1.0f);
  if (combatParams.aimedMode) return aimedHit(shot.row, shot.col);
  return areaHit(shot.row, shot.col, combatParams.killRadius, combatParams.killChance);
}

void landPlayerShot(const ShotRecord& shot) {
  if (hitTest(shot)) {
    const uint32_t d = drawRandom();
    makeExplosion(1 + static_cast<int>(d & 3u), debrisGlyph, true, true, Vec2i{shot.col, shot.row});
  }
  if (remainingFraction() < 0.0f) {
    setUpLevel(false);
    // Shots resolved later in this pass must meet the new letter.
    rebuildDisplayGrid(0.0f, 1.0f);
  }
}

using ShotIter = std::list<ShotRecord>::iterator;

// Draws and ages every shot still in flight and resolves those whose time
// has gone negative; they are unlinked only after the walk, in walk order.
template <class Draw, class Resolve>
void updateShots(std::list<ShotRecord>& list, float dt, Draw draw, Resolve resolve) {
  std::vector<ShotIter> finished;
  for (ShotIter it = list.begin(); it != list.end(); ++it) {
    if (it->timeLeft >= 0.0f) {
      draw(*it);
      it->timeLeft -= dt;
      continue;
    }
    finished.push_back(it);
    resolve(*it);
  }
  for (ShotIter it : finished) list.erase(it);
}

}  // namespace

// The enemies fire as a group from the 34 x 34 square around the formation's
// top-left corner; the column is drawn first.
void spawnEnemyShot() {
  const int32_t col = (formationCol - 16) + static_cast<int32_t>(drawRandom() % 34u);
  const int32_t row = (formationRow - 16) + static_cast<int32_t>(drawRandom() % 34u);
  enemyShots.push_back(ShotRecord{row, col, enemyShotTravel});
}

void updateEnemyShots(float dt) {
  selectPair(pairEnemyShots);
  updateShots(enemyShots, dt, drawEnemyShot, [](const ShotRecord& shot) {
    // Turning the view away from a shot dodges it.
    if (onConsole(int64_t{shot.row} + viewRow, int64_t{shot.col} + viewCol)) ++hitsTaken;
  });
}

void updatePlayerShots(float dt) {
  selectPair(pairPlayerShots);
  updateShots(playerShots, dt, drawPlayerShot, landPlayerShot);
}

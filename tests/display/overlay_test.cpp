#include <string>

#include "game/display/overlay.h"
#include "world/world_fixture.h"

using OverlayTest = WorldTest;

TEST_F(OverlayTest, FramePictureOnStandardAndTinyConsoles) {
  placeLevel(0, 42);  // straight right of the reference cell: dot at (12, 45)
  drawOverlay();
  EXPECT_EQ(rowText(0), "\\" + std::string(78, '-') + "/");
  EXPECT_EQ(rowText(12), "|" + std::string(39, ' ') + "+    ." + std::string(33, ' ') + "|");
  EXPECT_EQ(rowText(24), "/" + std::string(78, '-') + "\\");

  openScreen(3, 3);
  drawOverlay();
  EXPECT_EQ(rowText(2), " - ");  // both bars, one cell each
  openScreen(1, 2);
  drawOverlay();
  EXPECT_EQ(rowText(0), "/+");
}

TEST_F(OverlayTest, BarLengthsFollowTheFractions) {
  // Live of 335, health, cells of each bar; a negative fraction has no bar, however small.
  const float cases[][4] = {{335, 1.0f, 21, 21}, {168, 0.5f, 9, 9}, {1, 0.13f, 1, 1}, {0, -0.01f, 0, 0}};
  placeLevel(40, 32);
  for (auto [live, health, enemyCells, healthCells] : cases) {
    erase();
    fillLevel(0);
    std::memset(levelGrid, 1, static_cast<size_t>(live));
    playerHealth = health;
    drawOverlay();
    int enemyBar = 0, healthBar = 0;
    for (int r = 0; r < screenRows; ++r) {
      enemyBar += cellAt(r, 77).pair == 9;
      healthBar += cellAt(r, 2).pair == 8;
    }
    EXPECT_EQ(enemyBar, enemyCells) << live;
    EXPECT_EQ(healthBar, healthCells) << health;
  }
}

// Each dot lies five cells from the crosshair toward its vector; the other
// one gets the zero vector, which has no dot.
TEST_F(OverlayTest, DirectionDotsPointFromTheirReferenceCells) {
  viewRow = 7;
  viewCol = -3;
  const int32_t cases[][5] = {
      // vector, 0 formation / 1 marker shown / 2 marker hidden, dot cell
      {3, 4, 0, 15, 44},  {-1, -1, 0, 8, 36}, {0, 0, 0, -1, -1},
      {-3, -4, 1, 9, 36}, {0, 0, 1, -1, -1},  {3, 4, 2, -1, -1},
  };
  for (auto [eRow, eCol, marker, row, col] : cases) {
    erase();
    placeLevel((marker ? 0 : eRow) - viewRow, (marker ? 0 : eCol) + 32 - viewCol);
    powerUpMarkerTime = marker == 1 ? 0.5f : 0.0f;
    powerUpRow = (marker ? eRow : 0) + 12 - viewRow;
    powerUpCol = (marker ? eCol : 0) + 38 - viewCol;
    drawOverlay();
    EXPECT_EQ(countChar('.'), row >= 0) << eRow << "," << eCol << " " << marker;
    EXPECT_TRUE(row < 0 || (cellAt(row, col).ch == '.' && cellAt(row, col).pair == (marker ? 12 : 3)))
        << eRow << "," << eCol;
  }
}

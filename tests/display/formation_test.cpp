#include "game/display/colour_pairs.h"
#include "world/world_fixture.h"

namespace {

class FormationTest : public WorldTest {
protected:
  static int shownCells() {
    int n = 0;
    for (uint8_t v : displayGrid) n += v;
    return n;
  }
  static bool shown(int r, int c) { return displayGrid[gridSize * r + c] == 1; }
  static int pairCells(int pair) {
    int n = 0;
    for (int r = 0; r < screenRows; ++r)
      for (int c = 0; c < screenCols; ++c) n += cellAt(r, c).pair == pair;
    return n;
  }
};

}  // namespace

TEST_F(FormationTest, DisplayGridMapsLiveCellsForward) {
  levelGrid[0] = 2;  // not a live enemy
  rebuildDisplayGrid(0.0f, 1.0f);
  for (int i = 0; i < gridSize * gridSize; ++i) EXPECT_EQ(displayGrid[i], levelGrid[i] == 1) << i;

  fillLevel(1);
  rebuildDisplayGrid(0.0f, 0.5f);  // onto the centre block
  EXPECT_EQ(shownCells(), 256);
  for (int r = 0; r < gridSize; ++r)
    for (int c = 0; c < gridSize; ++c) EXPECT_EQ(shown(r, c), r >= 8 && r <= 23 && c >= 8 && c <= 23);

  rebuildDisplayGrid(0.0f, 2.0f);  // gaps, and the outer half dropped
  EXPECT_EQ(shownCells(), 256);
  for (int r = 0; r < gridSize; ++r)
    for (int c = 0; c < gridSize; ++c) EXPECT_EQ(shown(r, c), r % 2 == 0 && c % 2 == 0);

  rebuildDisplayGrid(0.0f, 1e30f);  // only offset 0 survives; no huge float becomes an int
  EXPECT_EQ(shownCells(), 1);

  resetLetters();
  rebuildDisplayGrid(1.5707964f, 1.0f);  // edge-on: every row collapses into column 16
  EXPECT_GT(shownCells(), 10);
  for (int r = 0; r < gridSize; ++r)
    for (int c = 0; c < gridSize; ++c) EXPECT_TRUE(c == 16 || !shown(r, c)) << r << "," << c;
}

TEST_F(FormationTest, DrawsAnOpaqueBoxClippedToTheConsole) {
  rebuildDisplayGrid(0.0f, 1.0f);
  selectPair(5);
  formationRow = 20;
  formationCol = 60;
  drawFormation();
  EXPECT_EQ(countChar('A'), 2 + 3 + 3);  // A rows 2..4 within columns 0..19
  EXPECT_EQ(cellAt(22, 78).ch, 'A');
  EXPECT_EQ(cellAt(22, 78).pair, 5);
  EXPECT_EQ(pairCells(5), 5 * 20);  // empty cells of the box are drawn too

  erase();
  viewRow = -120;
  viewCol = 120;
  formationRow = 130;
  formationCol = -100;
  drawFormation();
  EXPECT_EQ(cellAt(12, 38).ch, 'A');  // grid cell (2, 18)
  EXPECT_EQ(pairCells(5), 15 * 32);

  erase();
  const int32_t outside[][4] = {{0, 0, 25, 0}, {0, 0, -32, 0}, {0, 0, 0, 80}, {-120, 120, 0, -152}};
  for (auto [vRow, vCol, row, col] : outside) {
    viewRow = vRow;
    viewCol = vCol;
    formationRow = row;
    formationCol = col;
    drawFormation();
  }
  EXPECT_EQ(pairCells(5), 0);
}

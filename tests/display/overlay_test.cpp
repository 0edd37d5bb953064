#include <string>
#include <utility>

#include "game/display/colour_pairs.h"
#include "game/display/overlay.h"
#include "world/world_fixture.h"

namespace {

class OverlayTest : public WorldTest {
protected:
  void SetUp() override {
    WorldTest::SetUp();
    initialEnemyCount = countLiveEnemies();
    powerUpMarkerTime = 0.0f;
    formationRow = 40;  // formation dot straight below the crosshair
    formationCol = 32;
  }
  static void draw() {
    selectPair(1);
    drawOverlay();
  }
  static int barCells(int col, int pair) {
    int n = 0;
    for (int r = 0; r < screenRows; ++r) n += cellAt(r, col).pair == pair;
    return n;
  }
  static std::pair<int, int> dotAt() {
    for (int r = 0; r < screenRows; ++r)
      for (int c = 0; c < screenCols; ++c)
        if (cellAt(r, c).ch == '.') return {r, c};
    return {-1, -1};
  }
};

}  // namespace

TEST_F(OverlayTest, FramePictureOnStandardAndTinyConsoles) {
  formationCol = 42;
  formationRow = 0;  // straight right of the reference cell: dot at (12, 45)
  draw();
  const std::string inner(78, ' ');
  EXPECT_EQ(rowText(0), "\\" + std::string(78, '-') + "/");
  EXPECT_EQ(rowText(1), "|\\" + std::string(76, ' ') + "/|");
  EXPECT_EQ(rowText(2), "|" + inner + "|");  // the bars cover the third corner marks
  EXPECT_EQ(rowText(12), "|" + std::string(39, ' ') + "+    ." + std::string(33, ' ') + "|");
  EXPECT_EQ(rowText(22), "|" + inner + "|");
  EXPECT_EQ(rowText(23), "|/" + std::string(76, ' ') + "\\|");
  EXPECT_EQ(rowText(24), "/" + std::string(78, '-') + "\\");
  EXPECT_EQ(cellAt(0, 5).pair, 1);
  EXPECT_EQ(cellAt(12, 40).pair, 1);
  EXPECT_EQ(cellAt(12, 45).pair, 3);

  openScreen(3, 3);
  draw();
  EXPECT_EQ(rowText(0), "\\-/");
  EXPECT_EQ(rowText(1), "|+|");
  EXPECT_EQ(rowText(2), " - ");
  EXPECT_EQ(cellAt(2, 0).pair, 9);
  EXPECT_EQ(cellAt(2, 2).pair, 8);

  openScreen(1, 2);
  draw();
  EXPECT_EQ(rowText(0), "/+");
}

TEST_F(OverlayTest, BarLengthsFollowTheFractions) {
  const struct {
    int live;  // of 335
    float health;
    int enemyCells, healthCells;
  } cases[] = {
      {335, 1.0f, 21, 21}, {168, 0.5f, 9, 9}, {1, 0.0f, 1, 1}, {1, 0.13f, 1, 1},
      {335, 0.18f, 21, 2}, {0, -0.01f, 0, 0},  // negative: no bar, however small
      {0, -1.0f, 0, 0},
  };
  for (auto [live, health, enemyCells, healthCells] : cases) {
    erase();
    fillLevel(0);
    std::memset(levelGrid, 1, static_cast<size_t>(live));
    initialEnemyCount = 335;
    playerHealth = health;
    draw();
    EXPECT_EQ(barCells(77, 9), enemyCells) << live;
    EXPECT_EQ(barCells(2, 8), healthCells) << health;
    EXPECT_EQ(cellAt(2, 77).pair, enemyCells > 0 ? 9 : 1);
  }
}

TEST_F(OverlayTest, DirectionDotsPointFromTheirReferenceCells) {
  viewRow = 7;
  viewCol = -3;
  const int32_t cases[][4] = {
      // vector, dot cell
      {3, 4, 15, 44}, {-3, -4, 9, 36}, {1, 1, 15, 43}, {-1, -1, 8, 36}, {0, 10, 12, 45}, {-10, 0, 7, 40},
  };
  for (auto [eRow, eCol, row, col] : cases) {
    erase();
    formationRow = eRow - viewRow;
    formationCol = eCol + 32 - viewCol;
    draw();
    EXPECT_EQ(dotAt(), std::make_pair(row, col)) << eRow << "," << eCol;
    EXPECT_EQ(cellAt(row, col).pair, 3);

    erase();
    formationRow = -viewRow;
    formationCol = 32 - viewCol;  // the zero vector: no formation dot
    powerUpMarkerTime = 0.5f;
    powerUpRow = eRow + 12 - viewRow;
    powerUpCol = eCol + 38 - viewCol;
    draw();
    powerUpMarkerTime = 0.0f;
    EXPECT_EQ(dotAt(), std::make_pair(row, col)) << eRow << "," << eCol;
    EXPECT_EQ(cellAt(row, col).pair, 12);
  }
  erase();
  draw();  // no marker on the field
  powerUpMarkerTime = 1.0f;
  powerUpRow = 12 - viewRow;
  powerUpCol = 38 - viewCol;  // marker on its reference cell
  draw();
  EXPECT_EQ(countChar('.'), 0);
}

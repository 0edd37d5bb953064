#include "world/world_fixture.h"

using FormationTest = WorldTest;

TEST_F(FormationTest, DisplayGridMapsLiveCellsForward) {
  levelGrid[0] = 2;  // not a live enemy
  rebuildDisplayGrid(0.0f, 1.0f);
  for (int i = 0; i < gridSize * gridSize; ++i) EXPECT_EQ(displayGrid[i], levelGrid[i] == 1) << i;

  const struct {
    float angle, scale;
    bool (*shown)(int r, int c);
  } cases[] = {
      {0.0f, 0.5f, [](int r, int c) { return r >= 8 && r <= 23 && c >= 8 && c <= 23; }},  // onto the centre
      {0.0f, 2.0f, [](int r, int c) { return r % 2 == 0 && c % 2 == 0; }},  // gaps, the outer half dropped
      // Edge-on: every row into column 16; the cosine just below 1 pulls the
      // outer rows in by one.
      {1.5707964f, 1.0f, [](int r, int c) { return c == 16 && r >= 1 && r <= 30; }},
      {0.0f, 1e30f, [](int r, int c) { return r == 16 && c == 16; }},  // no huge float becomes an int
  };
  fillLevel(1);
  for (auto [angle, scale, shown] : cases) {
    rebuildDisplayGrid(angle, scale);
    for (int r = 0; r < gridSize; ++r)
      for (int c = 0; c < gridSize; ++c)
        EXPECT_EQ(displayGrid[gridSize * r + c], shown(r, c))
            << angle << " " << scale << ": " << r << "," << c;
  }
}

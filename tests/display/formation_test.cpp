#include "world/world_fixture.h"

using FormationTest = WorldTest;

// The game shows the formation unturned and unscaled: every live cell, and
// only those, as it stands.
TEST_F(FormationTest, DisplayGridShowsExactlyTheLiveCells) {
  levelGrid[0] = 2;  // not a live enemy
  rebuildDisplayGrid(0.0f, 1.0f);
  for (int i = 0; i < gridSize * gridSize; ++i) EXPECT_EQ(displayGrid[i], levelGrid[i] == 1) << i;
}

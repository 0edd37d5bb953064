// The effects note their cells during the walk and hand each one to curses
// once: the picture must be exactly what drawing every character as it
// comes would give, pairs and all.
#include <utility>
#include <vector>

#include "game/gfx/factories.h"
#include "world/world_fixture.h"

using GfxTest = WorldTest;

TEST_F(GfxTest, NotedCellsGiveTheSamePictureAsDirectDrawing) {
  std::vector<std::pair<char, int>> frames[2];  // six frames: [0] drawn directly, [1] by the walk
  for (int walk : {0, 1}) {
    resetEffects();
    seedRandom(99);
    makeText("first line of text", 1, 5.0f, Vec2i{3, 4});
    makeExplosion(4, 'x', true, true, Vec2i{10, 5});
    makeFireworks(2, 'y', true, false, Vec2i{12, 6});
    makeText("\xe9\xe8 high bytes", 2, 5.0f, Vec2i{0, 5});
    sortEffects();
    for (int frame = 0; frame < 6; ++frame) {
      erase();
      if (walk) updateEffects(0.08f);
      else
        for (auto& task : effectList) task->update(0.04f);
      for (int r = 0; r < screenRows; ++r)
        for (int c = 0; c < screenCols; ++c) frames[walk].emplace_back(cellAt(r, c).ch, cellAt(r, c).pair);
    }
  }
  for (size_t i = 0; i < frames[0].size(); ++i)
    ASSERT_EQ(frames[0][i], frames[1][i]) << "frame " << i / 2000 << " cell " << i % 2000;
  // The walk leaves the last effect's pair selected for whatever comes next.
  EXPECT_EQ(PAIR_NUMBER(getattrs(stdscr)), 2);
}

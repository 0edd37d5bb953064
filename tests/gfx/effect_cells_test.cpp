// The effects note their cells during the walk and hand each one to curses
// once: the picture must be exactly what drawing every character as it
// comes would give, pairs and all.
#include <vector>

#include <algorithm>
#include <string>

#include "game/gfx/cloud.h"
#include "game/gfx/text.h"
#include "gfx/gfx_fixture.h"

namespace {

void makeOverlappingEffects() {
  seedRandom(99);
  makeText("first line of text", 1, 5.0f, Vec2i{3, 4});
  makeExplosion(4, 'x', true, true, Vec2i{10, 5});
  makeFireworks(2, 'y', true, false, Vec2i{12, 6});
  makeText("over it", 3, 5.0f, Vec2i{6, 4});
  makeText("\xe9\xe8 high bytes", 2, 5.0f, Vec2i{0, 5});
  sortEffects();
}

std::vector<Cell> screenCells() {
  std::vector<Cell> cells;
  for (int r = 0; r < screenRows; ++r)
    for (int c = 0; c < screenCols; ++c) cells.push_back(CursesTest::cellAt(r, c));
  return cells;
}

}  // namespace

TEST_F(GfxTest, NotedCellsGiveTheSamePictureAsDirectDrawing) {
  std::vector<std::vector<Cell>> direct;
  std::vector<std::vector<Cell>> noted;
  for (bool throughEffects : {false, true}) {
    resetEffects();
    erase();
    makeOverlappingEffects();
    std::vector<std::vector<Cell>>& frames = throughEffects ? noted : direct;
    for (int frame = 0; frame < 6; ++frame) {
      erase();
      if (throughEffects) {
        updateEffects(0.08f);
      } else {
        for (auto& task : effectList) task->update(0.04f);
      }
      frames.push_back(screenCells());
    }
  }
  ASSERT_EQ(direct.size(), noted.size());
  for (size_t f = 0; f < direct.size(); ++f)
    for (size_t i = 0; i < direct[f].size(); ++i) {
      ASSERT_EQ(direct[f][i].ch, noted[f][i].ch) << "frame " << f << " cell " << i;
      ASSERT_EQ(direct[f][i].pair, noted[f][i].pair) << "frame " << f << " cell " << i;
    }
  // The walk leaves the last effect's pair selected for whatever comes next.
  EXPECT_EQ(PAIR_NUMBER(getattrs(stdscr)), 2);
}

TEST_F(GfxTest, SortKeepsOrderWhenNewTasksJoinALongSortedList) {
  for (int i = 0; i < 50; ++i) makeText(std::string(1, 'a' + i % 26), 1, 9.0f, Vec2i{i, 0});
  makeExplosion(2, 'b', true, false, Vec2i{0, 0});
  sortEffects();
  makeShake(1.0f);
  makeExplosion(1, 'c', true, false, Vec2i{0, 0});
  makeText("last", 1, 1.0f, Vec2i{0, 0});
  sortEffects();
  std::vector<int> layers;
  std::vector<char> glyphOrder;
  for (const auto& task : effectList) layers.push_back(task->layer);
  EXPECT_TRUE(std::is_sorted(layers.begin(), layers.end()));
  EXPECT_EQ(layers.front(), 0);
  // Equal layers keep the order they were made in: b's cloud before c's,
  // the 50 texts before "last".
  auto* lastText = dynamic_cast<gfxText*>(effectList.back().get());
  ASSERT_NE(lastText, nullptr);
  EXPECT_EQ(lastText->text, "last");
  auto it = std::next(effectList.begin());
  EXPECT_EQ(dynamic_cast<gfxRandCloud*>(it->get())->glyph, 'b');
  EXPECT_EQ(dynamic_cast<gfxRandCloud*>(std::next(it)->get())->glyph, 'c');
}

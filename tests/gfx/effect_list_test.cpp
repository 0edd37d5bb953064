#include <vector>

#include "game/gfx/cloud.h"
#include "game/gfx/explosion.h"
#include "game/gfx/text.h"
#include "gfx_fixture.h"

using EffectListTest = GfxTest;

TEST_F(EffectListTest, TaskFinishesBelowZeroAndGoesOneFrameLater) {
  makeText("hi", 1, 0.25f, Vec2i{0, 0});
  updateEffects(0.5f);  // effects get half the frame time: remaining exactly 0
  EXPECT_FALSE(effectList.front()->finished);
  EXPECT_FLOAT_EQ(effectList.front()->elapsed, 0.25f);
  removeFinishedEffects();
  ASSERT_EQ(effectList.size(), 1u);
  clear();
  updateEffects(0.01f);
  EXPECT_TRUE(effectList.front()->finished);
  EXPECT_EQ(rowText(0).substr(0, 2), "hi");  // the finishing update still draws
  removeFinishedEffects();
  EXPECT_TRUE(effectList.empty());
}

TEST_F(EffectListTest, SortIsStableByLayer) {
  sortEffects();
  EXPECT_TRUE(effectList.empty());
  makeText("one", 1, 1.0f, Vec2i{0, 0});
  sortEffects();
  EXPECT_EQ(effectList.size(), 1u);

  script({});  // every draw 0: the cloud sits on the centre cell
  makeText("two", 1, 1.0f, Vec2i{0, 0});
  makeExplosion(3, 'z', true, true, Vec2i{10, 10});
  makeShake(1.0f);
  sortEffects();
  std::vector<int> layers;
  std::vector<float> speeds;
  for (auto& task : effectList) {
    layers.push_back(task->layer);
    if (auto* burst = dynamic_cast<gfxTaskExplosion*>(task.get())) speeds.push_back(burst->speed);
  }
  EXPECT_EQ(layers, (std::vector<int>{0, 6, 7, 7, 7, 666, 666}));
  EXPECT_EQ(speeds, (std::vector<float>{40.0f, 34.0f, 28.0f}));
  EXPECT_EQ(dynamic_cast<gfxText&>(**std::next(effectList.begin(), 5)).text, "one");

  // The cloud is drawn first, the third burst (pair 8) last over it.
  updateEffects(0.01f);
  EXPECT_EQ(cellAt(10 + viewRow, 10 + viewCol).pair, 8);
}

TEST_F(EffectListTest, FactoriesMakeBurstsAndCloud) {
  struct Case { int count; bool cloud; bool multi; std::vector<int> colours; std::vector<float> speeds; };
  const Case cases[] = {
      {0, false, true, {}, {}},
      {-2, true, true, {}, {}},
      {1, true, false, {1}, {40.0f}},
      {4, false, true, {1, 2, 3, 4}, {40.0f, 34.0f, 28.0f, 22.0f}},
      {6, true, true, {1, 2, 3, 4, 4, 4}, {40.0f, 34.0f, 28.0f, 22.0f, 22.0f, 22.0f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    for (bool fireworks : {false, true}) {
      resetEffects();
      if (fireworks) makeFireworks(c.count, 'f', c.cloud, c.multi, Vec2i{3, 4});
      else makeExplosion(c.count, 'e', c.cloud, c.multi, Vec2i{3, 4});
      std::vector<int> colours;
      std::vector<float> speeds;
      for (auto& task : effectList) {
        auto* burst = dynamic_cast<gfxBurst*>(task.get());
        if (!burst) continue;
        EXPECT_EQ(fireworks, dynamic_cast<gfxTaskFireworks*>(burst) != nullptr);
        EXPECT_EQ(burst->remaining, 48.0f);
        colours.push_back(burst->colour);
        speeds.push_back(burst->speed);
      }
      EXPECT_EQ(colours, c.colours);
      EXPECT_EQ(speeds, c.speeds);
      auto* cloud = effectList.empty() ? nullptr : dynamic_cast<gfxRandCloud*>(effectList.back().get());
      ASSERT_EQ(cloud != nullptr, c.cloud);
      EXPECT_EQ(cloud ? cloud->colourPair : 0, c.cloud ? (c.multi ? 3 : 2) : 0);
      EXPECT_EQ(cloud ? cloud->remaining : 0.3f, 0.3f);
    }
  }
}


// The pairs on terminals with 8 and no colours: every pair stays within what
// the terminal offers, and what the game tells apart by colour stays apart.
#include <cstdlib>
#include <utility>

#include "fixtures/curses_fixture.h"
#include "game/display/colour_pairs.h"

class ColoursTest : public CursesTest {
protected:
  void SetUp() override {}
  void TearDown() override {
    setenv("TERM", "xterm-256color", 1);
    CursesTest::TearDown();
  }
  void openAs(const char* term) {
    setenv("TERM", term, 1);
    openScreen(25, 80);
  }
  static std::pair<short, short> colours(short pair) {
    short f = 0, b = 0;
    pair_content(pair, &f, &b);
    return {f, b};
  }
  static short fg(short pair) { return colours(pair).first; }
};

TEST_F(ColoursTest, PairsFitSmallPalettes) {
  openAs("xterm");  // 8 colours: bright foregrounds fall back to bold
  for (short pair = 1; pair <= colourPairCount; ++pair) EXPECT_LT(fg(pair), COLORS);
  EXPECT_EQ(fg(8), COLOR_RED);
  EXPECT_NE(pairAttributes[8] & A_BOLD, 0u);
  EXPECT_EQ(pairAttributes[1] & A_BOLD, 0u);
  // At level A only colour tells the shots coming in from the player's own.
  for (const char* term : {"xterm", "xterm-256color"}) {
    openAs(term);
    EXPECT_NE(colours(pairEnemyShots), colours(pairPlayerShots)) << term;
  }

  openAs("vt100");  // no colours: the solid bars need reverse video
  EXPECT_NE(pairAttributes[8] & pairAttributes[9] & A_REVERSE, 0u);
  EXPECT_EQ(pairAttributes[1], static_cast<chtype>(A_NORMAL));
}

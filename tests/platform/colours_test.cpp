// The twelve pairs on terminals with 256, 8 and no colours: every pair stays
// within what the terminal offers, and what the game tells apart by colour
// stays apart.
#include <cstdlib>
#include <string>

#include "game/display/colour_pairs.h"
#include "support/curses_fixture.h"

namespace {

class ColoursTest : public CursesTest {
protected:
  void SetUp() override {
    const char* term = std::getenv("TERM");
    savedTerm_ = term ? term : "";
  }
  void TearDown() override {
    setenv("TERM", savedTerm_.c_str(), 1);
    CursesTest::TearDown();
  }
  void openAs(const char* term) {
    setenv("TERM", term, 1);
    openScreen(25, 80);
  }

private:
  std::string savedTerm_;
};

}  // namespace

TEST_F(ColoursTest, PairsFitEveryPalette) {
  openAs("xterm-256color");
  short fg = 0, bg = 0;
  pair_content(9, &fg, &bg);
  EXPECT_EQ(fg, COLOR_BLUE + 8);  // bright blue on blue: the names, not the numbers
  EXPECT_EQ(bg, COLOR_BLUE);
  pair_content(5, &fg, &bg);
  EXPECT_EQ(fg, COLOR_BLACK + 8);  // dark grey
  EXPECT_EQ(pairAttributes[8] & A_BOLD, 0u);

  openAs("xterm");  // 8 colours: bright foregrounds fall back to bold
  ASSERT_EQ(COLORS, 8);
  for (int pair = 1; pair <= colourPairCount; ++pair) {
    pair_content(static_cast<short>(pair), &fg, &bg);
    EXPECT_LT(fg, COLORS);
    EXPECT_LT(bg, COLORS);
  }
  pair_content(8, &fg, &bg);
  EXPECT_EQ(fg, COLOR_RED);
  EXPECT_NE(pairAttributes[8] & A_BOLD, 0u);
  EXPECT_EQ(pairAttributes[1] & A_BOLD, 0u);  // light grey is a base colour
  EXPECT_NE(pairAttributes[3], pairAttributes[8]);  // the dot and the health bar

  openAs("vt100");  // no colours: the solid bars need reverse video
  EXPECT_FALSE(has_colors());
  EXPECT_NE(pairAttributes[8] & A_REVERSE, 0u);
  EXPECT_NE(pairAttributes[9] & A_REVERSE, 0u);
  EXPECT_EQ(pairAttributes[1], static_cast<chtype>(A_NORMAL));
}

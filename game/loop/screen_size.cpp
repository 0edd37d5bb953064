#include "game/loop/screen_size.h"

#include <algorithm>

#include "game/gfx/shake.h"
#include "game/loop/frame.h"
#include "game/loop/state.h"

namespace {

int32_t withinView(int32_t view) { return std::clamp(view, -kViewLimit, kViewLimit); }

}  // namespace

void followScreenSize(int32_t rows, int32_t cols) {
  if (rows < 1 || cols < 1 || (rows == screenRows && cols == screenCols)) return;
  // The world cell under the crosshair is (rows / 2 - viewRow, cols / 2 -
  // viewCol): the view moves by as much as the centre does.
  const int32_t downBy = rows / 2 - screenRows / 2;
  const int32_t rightBy = cols / 2 - screenCols / 2;
  viewRow = withinView(viewRow + downBy);
  viewCol = withinView(viewCol + rightBy);
  shakeSavedRow = withinView(shakeSavedRow + downBy);
  shakeSavedCol = withinView(shakeSavedCol + rightBy);
  screenRows = rows;
  screenCols = cols;
  if (starField) starField->centre = Vec2{static_cast<float>(cols / 2), static_cast<float>(rows / 2)};
}

void takeScreenSize(int32_t rows, int32_t cols) {
  if (rows < 1 || cols < 1) return;
  screenRows = rows;
  screenCols = cols;
}

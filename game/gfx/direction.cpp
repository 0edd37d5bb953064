#include "game/gfx/direction.h"

#include "game/loop/random.h"

float randomDirection() {
  double u = random01();
  return static_cast<float>(u * 6.283185601234436 + 1.5707963705062866);
}

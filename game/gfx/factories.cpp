#include "game/gfx/factories.h"

#include <utility>

#include "game/display/colour_pairs.h"
#include "game/gfx/cloud.h"
#include "game/gfx/effect_list.h"
#include "game/gfx/explosion.h"
#include "game/gfx/shake.h"
#include "game/gfx/text.h"

const float speedFactors[3] = {1.0f, 0.85f, 0.7f};

namespace {

// Kills can ask for a fourth burst; it continues the sequence. Any further
// burst repeats the fourth rather than reading past the table or slowing to
// a stop (a speed of 0 or less would never finish).
constexpr float fourthSpeedFactor = 0.55f;
constexpr int32_t lastColour = 4;

float burstSpeed(int i) {
  float factor = i < 3 ? speedFactors[i] : fourthSpeedFactor;
  return factor * 40.0f;
}

int32_t burstColour(int i, bool multiColour) {
  if (!multiColour) return 1;
  return i + 1 < lastColour ? i + 1 : lastColour;
}

template <typename Burst>
void makeBursts(int count, char glyph, bool withCloud, bool multiColour, Vec2i position) {
  Vec2 centre{static_cast<float>(position.x), static_cast<float>(position.y)};
  for (int i = 0; i < count; ++i) {
    auto burst = std::make_unique<Burst>(centre, glyph, burstColour(i, multiColour), burstSpeed(i));
    burst->remaining = 48.0f;
    effectList.push_back(std::move(burst));
  }
  if (!withCloud) return;
  const int32_t pair = multiColour ? pairCloudMulti : pairCloud;
  auto cloud = std::make_unique<gfxRandCloud>(centre, 8.0f, glyph, pair, 5);
  cloud->remaining = 0.3f;
  effectList.push_back(std::move(cloud));
}

}  // namespace

void makeExplosion(int count, char glyph, bool withCloud, bool multiColour, Vec2i position) {
  makeBursts<gfxTaskExplosion>(count, glyph, withCloud, multiColour, position);
}

void makeFireworks(int count, char glyph, bool withCloud, bool multiColour, Vec2i position) {
  makeBursts<gfxTaskFireworks>(count, glyph, withCloud, multiColour, position);
}

void makeShake(float seconds) {
  auto shake = std::make_unique<gfxShake>();
  shake->remaining = seconds;
  effectList.push_back(std::move(shake));
}

void makeText(std::string text, int colourPair, float seconds, Vec2i position) {
  auto message = std::make_unique<gfxText>(std::move(text), colourPair, position);
  message->remaining = seconds;
  effectList.push_back(std::move(message));
}

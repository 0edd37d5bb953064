#include "base/numtext.h"

#include <cmath>

namespace Tessor {
namespace Base {

namespace {

// Wide enough for the whole part of any finite float (FLT_MAX < 2^128), so
// large magnitudes keep their true digits instead of wrapping.
__extension__ typedef unsigned __int128 WholePart;

template <typename Unsigned> void PrependDigits(Unsigned n, std::string& out) {
  while (n != 0) {
    out.insert(out.begin(), static_cast<char>('0' + static_cast<int>(n % 10)));
    n /= 10;
  }
}

// The largest float below 1.
constexpr float kBelowOne = 0x1.fffffep-1f;

}  // namespace

void IntToString(const int32_t& value, std::string& out) {
  out.clear();
  if (value == 0) out = "0";
  // Unsigned arithmetic gives the magnitude of INT32_MIN as well.
  uint32_t n = static_cast<uint32_t>(value);
  if (value < 0) n = 0u - n;
  PrependDigits(n, out);
  if (value < 0) out.insert(out.begin(), '-');
}

void FloatToString(const float& value, std::string& out, uint8_t digits) {
  out.clear();
  if (std::isnan(value)) {
    out = "nan";
    return;
  }
  bool negative = value < 0.0f;
  if (std::isinf(value)) {
    out = negative ? "-inf" : "inf";
    return;
  }
  float a = std::fabs(value);
  WholePart n = static_cast<WholePart>(a);
  if (n == 0) out = "0";
  PrependDigits(n, out);
  out += '.';
  float f = a - static_cast<float>(n);
  for (int i = 0; i < digits; ++i) {
    double product = static_cast<double>(f) * 10.0;
    int digit = static_cast<int>(product);
    out += static_cast<char>('0' + digit);
    f = static_cast<float>(product) - static_cast<float>(digit);
    // Rounding the product to float can carry it to the next whole number
    // (0.7f gives 6.99999988 -> 7.0f). The true rest is then just below one
    // unit, so keep it there and the following digits stay 9s.
    if (f >= 1.0f) f = kBelowOne;
  }
  if (negative) out.insert(out.begin(), '-');
}

}  // namespace Base
}  // namespace Tessor

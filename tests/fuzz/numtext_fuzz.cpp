// Number-to-text with arbitrary values and precisions. Input: groups of
// nine bytes, an int32, a float's bits and a digit count.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/numtext.h"

namespace {

void fail(const char* what, const std::string& out) {
  std::fprintf(stderr, "number text broken: %s: \"%s\"\n", what, out.c_str());
  std::abort();
}

bool allDigits(const std::string& s, size_t from, size_t to) {
  if (from > to || to > s.size()) return false;
  for (size_t i = from; i < to; i++)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

void checkInt(int32_t value) {
  std::string out = "left over";
  Tessor::Base::IntToString(value, out);
  size_t sign = value < 0 ? 1 : 0;
  if (out.size() <= sign || (sign && out[0] != '-') || !allDigits(out, sign, out.size()))
    fail("int shape", out);
  if (out.size() > sign + 1 && out[sign] == '0') fail("int leading zero", out);
  if (std::strtoll(out.c_str(), nullptr, 10) != value) fail("int round trip", out);
}

void checkFloat(float value, uint8_t digits) {
  std::string out = "left over";
  Tessor::Base::FloatToString(value, out, digits);
  if (std::isnan(value)) {
    if (out != "nan") fail("nan", out);
    return;
  }
  if (std::isinf(value)) {
    if (out != (value < 0 ? "-inf" : "inf")) fail("inf", out);
    return;
  }
  size_t sign = out.empty() || out[0] != '-' ? 0 : 1;
  size_t dot = out.find('.');
  if (dot == std::string::npos || dot == sign || out.size() != dot + 1 + digits) fail("float shape", out);
  if (!allDigits(out, sign, dot) || !allDigits(out, dot + 1, out.size())) fail("float digit", out);
  if (sign == 1 && !(value < 0)) fail("float sign", out);
  if (sign == 0 && value < 0 && out.find_first_not_of("0.") != std::string::npos)
    fail("float sign lost", out);

  // The whole part is exact; the fraction truncated, off by float rounding
  // at most.
  double magnitude = std::fabs(static_cast<double>(value));
  char whole[64];
  std::snprintf(whole, sizeof whole, "%.0f", std::trunc(magnitude));
  if (out.compare(sign, dot - sign, whole) != 0) fail("float whole part", out);
  double fraction = magnitude - std::trunc(magnitude);
  double shown = 0, scale = 0.1;
  for (size_t i = dot + 1; i < out.size() && i < dot + 20; i++, scale /= 10) shown += (out[i] - '0') * scale;
  double unit = digits < 20 ? std::pow(10.0, -digits) : 0;
  if (shown > fraction + 1e-6 || shown < fraction - unit - 1e-6) fail("float fraction", out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (; size >= 9; data += 9, size -= 9) {
    int32_t i;
    float f;
    std::memcpy(&i, data, 4);
    std::memcpy(&f, data + 4, 4);
    checkInt(i);
    checkFloat(f, data[8]);
  }
  return 0;
}

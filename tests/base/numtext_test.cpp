#include "base/numtext.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <tuple>

using namespace Tessor::Base;

TEST(NumberText, IntegersAndTruncatedFloats) {
  const std::pair<int32_t, const char*> integers[] = {
      {0, "0"}, {-5, "-5"}, {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"}};
  std::string out = "junk";  // each call replaces what was there
  for (const auto& c : integers) {
    IntToString(c.first, out);
    EXPECT_EQ(out, c.second);
  }
  const std::tuple<float, uint8_t, const char*> floats[] = {
      {-0.5f, 1, "-0.5"},
      {3.0f, 0, "3."},
      {2.999f, 1, "2.9"},
      {-0.0f, 2, "0.00"},
      {-INFINITY, 6, "-inf"},
      {NAN, 6, "nan"},
      // 0.7 carries the float product to a whole unit, yet digits stay 0-9; whole parts
      // of 2^32 and more keep their true digits.
      {0.7f, 6, "0.699999"},
      {4294967296.0f, 1, "4294967296.0"},
      {-FLT_MAX, 0, "-340282346638528859811704183484516925440."}};
  for (auto [value, digits, text] : floats) {
    FloatToString(value, out, digits);
    EXPECT_EQ(out, text) << value;
  }
}

#include "base/numtext.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

using Tessor::Base::FloatToString;
using Tessor::Base::IntToString;

TEST(NumberText, IntegersIncludingTheMostNegative) {
  const std::pair<int32_t, const char*> cases[] = {
      {0, "0"}, {88, "88"}, {-5, "-5"}, {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"}};
  for (const auto& c : cases) {
    std::string out = "junk";
    IntToString(c.first, out);
    EXPECT_EQ(out, c.second);
  }
}

TEST(NumberText, FloatDigitsFollowTheFloatAndAreTruncated) {
  struct Case {
    float value;
    uint8_t digits;
    const char* text;
  } cases[] = {
      {9.5f, 6, "9.500000"}, {-0.5f, 1, "-0.5"}, {3.0f, 0, "3."}, {0.1f, 6, "0.100000"},
      {0.25f, 2, "0.25"}, {2.999f, 1, "2.9"}, {9.98312f, 6, "9.983119"},
      {10.0f, 6, "10.000000"}, {-0.0f, 2, "0.00"},
      // Rounding the product to float carries it to a whole unit here.
      {0.7f, 6, "0.699999"}, {0.9f, 6, "0.899999"},
      // Whole parts of 2^32 and more keep their true digits.
      {4294967296.0f, 1, "4294967296.0"}, {1e20f, 0, "100000002004087734272."},
      {-FLT_MAX, 0, "-340282346638528859811704183484516925440."},
      {INFINITY, 6, "inf"}, {-INFINITY, 6, "-inf"}, {NAN, 6, "nan"},
  };
  for (const Case& c : cases) {
    std::string out = "junk";
    FloatToString(c.value, out, c.digits);
    EXPECT_EQ(out, c.text) << c.value;
  }
}

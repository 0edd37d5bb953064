// Number-to-text conversion without the formatted-output functions.
#pragma once

#include <cstdint>
#include <string>

namespace Tessor {
namespace Base {

void IntToString(const int32_t& value, std::string& out);
void FloatToString(const float& value, std::string& out, uint8_t digits);

}  // namespace Base
}  // namespace Tessor

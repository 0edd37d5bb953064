// Readable texts for the error codes that a log entry can carry.
#pragma once

#include <cstdint>
#include <string>

#include "base/log.h"

namespace Tessor {
namespace Base {

// Stands in for glGetError: the engine creates no GL context here, so by
// default nothing is ever pending (GL_NO_ERROR). Replaceable for tests.
extern uint32_t (*QueryGlError)();

// The text E of an entry: empty for None (and unknown families), otherwise
// " : " followed by the description. code is used by Zlib and OpenAL only;
// Win32 reads errno and OpenGL reads QueryGlError.
std::string ErrorText(ErrorFamily family, int32_t code);

std::string GlErrorText(uint32_t code);
std::string SystemErrorText(int errorNumber);
std::string ZlibErrorText(int32_t code);
std::string OpenAlErrorText(int32_t code);

}  // namespace Base
}  // namespace Tessor

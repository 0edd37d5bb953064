#include "base/error_text.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>

namespace Tessor {
namespace Base {

namespace {

// OpenAL's error codes; its header is not needed for five numbers.
enum : int32_t {
  AlNoError = 0,
  AlInvalidName = 0xA001,
  AlInvalidEnum = 0xA002,
  AlInvalidValue = 0xA003,
  AlInvalidOperation = 0xA004,
  AlOutOfMemory = 0xA005,
};

enum : uint32_t {
  GlNoError = 0,
  GlInvalidEnum = 0x0500,
  GlInvalidValue = 0x0501,
  GlInvalidOperation = 0x0502,
  GlStackOverflow = 0x0503,
  GlStackUnderflow = 0x0504,
  GlOutOfMemory = 0x0505,
  GlInvalidFramebufferOperation = 0x0506,
};

const char* const kNoDescription = "nie mozna pobrac opisu kodu bledu, lub brak kodu bledu.";

uint32_t NoPendingGlError() { return GlNoError; }

std::string HexCode(uint32_t code) {
  const char* digits = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), digits[code % 16]);
    code /= 16;
  } while (code != 0 || text.size() < 4);
  return "0x" + text;
}

}  // namespace

uint32_t (*QueryGlError)() = NoPendingGlError;

std::string GlErrorText(uint32_t code) {
  switch (code) {
    case GlNoError: return "no error";
    case GlInvalidEnum: return "invalid enumerant";
    case GlInvalidValue: return "invalid value";
    case GlInvalidOperation: return "invalid operation";
    case GlStackOverflow: return "stack overflow";
    case GlStackUnderflow: return "stack underflow";
    case GlOutOfMemory: return "out of memory";
    case GlInvalidFramebufferOperation: return "invalid framebuffer operation";
  }
  // gluErrorString gives no text here; the code itself is more use than
  // nothing.
  return "unknown error " + HexCode(code);
}

// Code 0 means there is no error to describe; an errno that the C library
// does not know has no description either (strerror would only make one up).
std::string SystemErrorText(int errorNumber) {
  if (errorNumber == 0) return kNoDescription;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 32))
  const char* text = strerrordesc_np(errorNumber);
#else
  const char* text = std::strerror(errorNumber);
#endif
  if (text == nullptr || *text == '\0') return kNoDescription;
  return text;
}

std::string ZlibErrorText(int32_t code) {
  switch (code) {
    case Z_NEED_DICT: return "INFO - Need dictionary";
    case Z_STREAM_END: return "OK - Enough output space";
    case Z_OK: return "OK";
    case Z_ERRNO: return "Error (Z_ERRNO)";
    case Z_STREAM_ERROR: return "Error - Level is not a valid compression level";
    case Z_DATA_ERROR: return "Error - Stream was freed prematurely";
    case Z_MEM_ERROR: return "Error - There was not enough memory";
    case Z_BUF_ERROR: return "Error - There was not enough room in the output buffer";
    case Z_VERSION_ERROR:
      return "Error - The zlib library version (zlib_version) is incompatible "
             "with the version assumed by the caller (ZLIB_VERSION)";
  }
  return "";
}

std::string OpenAlErrorText(int32_t code) {
  switch (code) {
    case AlNoError: return "Wszystko OK";
    case AlInvalidName: return "Invalid Name paramater passed to AL call";
    case AlInvalidEnum: return "Invalid parameter passed to AL call";
    case AlInvalidValue: return "Invalid enum parameter value";
    case AlInvalidOperation: return "Illegal call";
    case AlOutOfMemory: return "Out of memory";
  }
  return "";
}

std::string ErrorText(ErrorFamily family, int32_t code) {
  switch (family) {
    case OpenGL: return " : " + GlErrorText(QueryGlError());
    case Win32: return " : " + SystemErrorText(errno);
    case Zlib: return " : " + ZlibErrorText(code);
    case OpenAL: return " : " + OpenAlErrorText(code);
    case None: break;
  }
  return "";
}

}  // namespace Base
}  // namespace Tessor

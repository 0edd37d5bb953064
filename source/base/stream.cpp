#include "base/stream.h"

namespace Tessor {
namespace Base {

// Out of line so the virtual table has one home.
Stream::~Stream() = default;

}  // namespace Base
}  // namespace Tessor

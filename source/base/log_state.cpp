// The program-wide log state. Everything starts switched off: no output
// bits, no flushing, no file, no history.
#include "base/filestream.h"
#include "base/log.h"

namespace Tessor {
namespace Base {

uint32_t LogOutputs = 0;
bool LogFlushFile = false;
FileStream LogFile;
std::vector<std::string> LogHistory;

}  // namespace Base
}  // namespace Tessor

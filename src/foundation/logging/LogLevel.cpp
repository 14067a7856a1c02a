#include "foundation/logging/LogLevel.h"

namespace Tessel::Common::Logging {

bool LogLevelEnabled[LogLevelCount] = {false, false, true, false, true};

void SetLogLevel(int threshold) {
    for (int i = 0; i < LogLevelCount; ++i) {
        LogLevelEnabled[i] = i >= threshold;
    }
}

const char* LogLevelTag(int level) {
    switch (level) {
    case LogLevelDebug: return "DBG";
    case LogLevelInfo: return "INF";
    case LogLevelError: return "ERR";
    default: return nullptr;
    }
}

} // namespace Tessel::Common::Logging

#include "foundation/logging/Log.h"

namespace Tessel::Common::Logging {

void WriteLogLine(int level, const char* function, const std::wstring& message) {
    WriteLogLine(level, function, [&](std::wostream& stream) { stream << message; });
}

void CloseLoggers(const char* function) {
    LOG_INF(function, CloseLoggersMarker);
    AppenderCollection::Instance().DestroyAll();
}

} // namespace Tessel::Common::Logging

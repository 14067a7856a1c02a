#pragma once

namespace Tessel::Common::Logging {

// Five steps from the most verbose (0) to the most severe (4); only 1, 2 and 4 write lines.
enum LogLevel : int {
    LogLevelTrace = 0,
    LogLevelDebug = 1,
    LogLevelInfo = 2,
    LogLevelWarning = 3,
    LogLevelError = 4,
};

inline constexpr int LogLevelCount = 5;

// The one switch of the log: a line at step s is written only if entry s is true.
// Set to threshold 2 (INF and ERR) when the process is loaded.
extern bool LogLevelEnabled[LogLevelCount];

// Disables every step, then enables the steps from threshold up to 4.
void SetLogLevel(int threshold);

inline bool IsLogLevelEnabled(int level) {
    return level >= 0 && level < LogLevelCount && LogLevelEnabled[level];
}

// "DBG", "INF" or "ERR"; null for the steps that have no tag.
const char* LogLevelTag(int level);

} // namespace Tessel::Common::Logging

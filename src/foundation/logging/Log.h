#pragma once

// The log pipeline: the level switch, the appenders and the exact line format.
//
//   LOG_INF("TMainForm::FormShow", L"Groups : " << count);
//   TRACE_FUNCTION("TMainForm::FormShow");   // "EnterFunc" now, "ExitFunc <ms>" on leaving
//
// A disabled level evaluates nothing of the message.

#include "foundation/logging/AppenderCollection.h"
#include "foundation/logging/LogLevel.h"
#include "foundation/logging/LogLine.h"

#include <concepts>
#include <mutex>
#include <ostream>
#include <string>

namespace Tessel::Common::Logging {

// Writes one line to every appender, in collection order. Each appender gets its own
// complete copy, with the time read anew; the line ends with a line feed and a flush. Lines of
// several threads follow one another whole.
template <typename WriteMessage>
    requires std::invocable<WriteMessage&, std::wostream&>
void WriteLogLine(int level, const char* function, WriteMessage&& writeMessage) {
    const char* tag = LogLevelTag(level);
    if (!IsLogLevelEnabled(level) || tag == nullptr) {
        return;
    }
    AppenderCollection& appenders = AppenderCollection::Instance();
    const std::lock_guard lock(appenders.WriteLock());
    for (const auto& appender : appenders) {
        std::wostream& stream = appender->GetStream();
        WriteLogLinePrefix(stream, CurrentThreadNumber(), CurrentLogTimestamp(), tag, function);
        writeMessage(stream);
        stream << std::endl;
    }
}

void WriteLogLine(int level, const char* function, const std::wstring& message);

// Fixed marker lines.
inline constexpr const wchar_t* UserMarker = L"================== User ===============> ";
inline constexpr const wchar_t* TimerMarker = L"------------------ Timer ---------------> ";
inline constexpr const wchar_t* AppStartsMarker =
    L"============================== App Starts ==============================";
inline constexpr const wchar_t* AlreadyRunningMarker =
    L"============================== Already running ==============================";
inline constexpr const wchar_t* AppEndsMarker =
    L"============================== App Ends ==============================";
inline constexpr const wchar_t* CloseLoggersMarker =
    L"============================== Close Loggers ==============================";
inline constexpr const wchar_t* UnknownExceptionMessage = L"!!! Unknown exception";

// Writes the "Close Loggers" line, then destroys every appender: nothing is logged after it.
void CloseLoggers(const char* function);

} // namespace Tessel::Common::Logging

#define TESSEL_LOG(level, function, message)                                                   \
    do {                                                                                       \
        if (::Tessel::Common::Logging::IsLogLevelEnabled(level)) {                             \
            ::Tessel::Common::Logging::WriteLogLine((level), (function),                       \
                                                    [&](std::wostream& tesselLogStream) {      \
                                                        tesselLogStream << message;            \
                                                    });                                        \
        }                                                                                      \
    } while (false)

#define LOG_DBG(function, message) TESSEL_LOG(::Tessel::Common::Logging::LogLevelDebug, function, message)
#define LOG_INF(function, message) TESSEL_LOG(::Tessel::Common::Logging::LogLevelInfo, function, message)
#define LOG_ERR(function, message) TESSEL_LOG(::Tessel::Common::Logging::LogLevelError, function, message)

// The marker line of a handler of a direct user action, or of a timer-driven handler.
#define LOG_USER_ACTION(function) LOG_INF(function, ::Tessel::Common::Logging::UserMarker)
#define LOG_TIMER_ACTION(function) LOG_INF(function, ::Tessel::Common::Logging::TimerMarker)

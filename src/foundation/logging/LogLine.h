#pragma once

#include <cstdint>
#include <ostream>

namespace Tessel::Common::Logging {

struct LogTimestamp {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// The local time and the calling thread's number, as the platform gives them.
LogTimestamp CurrentLogTimestamp();
std::uint32_t CurrentThreadNumber();

// Writes everything of a line before the message:
// "T<thread>, yyyy-MM-dd hh:mm:ss.zzz, <tag>, <function>() # ".
// Leaves the stream's formatting state as it was.
void WriteLogLinePrefix(std::wostream& stream, std::uint32_t threadId, const LogTimestamp& time,
                        const char* tag, const char* function);

} // namespace Tessel::Common::Logging

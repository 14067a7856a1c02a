#include "foundation/logging/LogLine.h"

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <chrono>
#include <ctime>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace Tessel::Common::Logging {

namespace {

// Appends value as exactly `digits` decimal digits (zero-padded, higher digits dropped).
wchar_t* PutDigits(wchar_t* out, unsigned value, int digits) {
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    }
    return out + digits;
}

wchar_t* PutDecimal(wchar_t* out, std::uint32_t value) {
    wchar_t reversed[10];
    int n = 0;
    do {
        reversed[n++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0) {
        *out++ = reversed[--n];
    }
    return out;
}

void AppendAscii(std::wstring& out, const char* text) {
    for (; text != nullptr && *text != '\0'; ++text) {
        out += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    }
}

} // namespace

LogTimestamp CurrentLogTimestamp() {
#ifdef _WIN32
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
#else
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
            local.tm_min, local.tm_sec, static_cast<int>(ms)};
#endif
}

std::uint32_t CurrentThreadNumber() {
#ifdef _WIN32
    return GetCurrentThreadId();
#else
    return static_cast<std::uint32_t>(syscall(SYS_gettid));
#endif
}

void WriteLogLinePrefix(std::wostream& stream, std::uint32_t threadId, const LogTimestamp& t,
                        const char* tag, const char* function) {
    // Built as one piece of text so the stream's width, fill and flags never matter.
    wchar_t buffer[64];
    wchar_t* p = buffer;
    *p++ = L'T';
    p = PutDecimal(p, threadId);
    *p++ = L',';
    *p++ = L' ';
    p = PutDigits(p, static_cast<unsigned>(t.year), 4);
    *p++ = L'-';
    p = PutDigits(p, static_cast<unsigned>(t.month), 2);
    *p++ = L'-';
    p = PutDigits(p, static_cast<unsigned>(t.day), 2);
    *p++ = L' ';
    p = PutDigits(p, static_cast<unsigned>(t.hour), 2);
    *p++ = L':';
    p = PutDigits(p, static_cast<unsigned>(t.minute), 2);
    *p++ = L':';
    p = PutDigits(p, static_cast<unsigned>(t.second), 2);
    *p++ = L'.';
    p = PutDigits(p, static_cast<unsigned>(t.millisecond), 3);
    *p++ = L',';
    *p++ = L' ';
    std::wstring line(buffer, p);
    AppendAscii(line, tag);
    AppendAscii(line, ", ");
    AppendAscii(line, function);
    AppendAscii(line, "() # ");
    stream.write(line.data(), static_cast<std::streamsize>(line.size()));
}

} // namespace Tessel::Common::Logging

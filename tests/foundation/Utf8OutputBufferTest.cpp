#include "foundation/logging/Utf8OutputBuffer.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using Tessel::Common::Logging::Utf8OutputBuffer;

namespace {

struct Written {
    std::string bytes;
    bool refuse = false;
};

Utf8OutputBuffer MakeBuffer(Written& written) {
    return Utf8OutputBuffer([&written](const char* data, std::size_t count) {
        if (written.refuse) return false;
        written.bytes.append(data, count);
        return true;
    });
}

} // namespace

TEST(Utf8OutputBuffer, EncodesEveryCharacterAndEndsLinesWithCrLf) {
    struct Case {
        std::wstring text;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {L"App Starts\n", "App Starts\r\n"},
        {L"caf\u00E9 \u00FF", "caf\xC3\xA9 \xC3\xBF"},
        {L"\u65B0\u5EFA\u7EC4", "\xE6\x96\xB0\xE5\xBB\xBA\xE7\xBB\x84"},
        {L"\U0001F600", "\xF0\x9F\x98\x80"},
        {L"a\xD800" L"b", "a\xEF\xBF\xBD" "b"},
        {L"\xDC00", "\xEF\xBF\xBD"},
        {L"\r\n", "\r\r\n"},
    };
    for (const Case& c : cases) {
        Written written;
        Utf8OutputBuffer buffer = MakeBuffer(written);
        std::wostream stream(&buffer);
        stream << c.text << std::flush;
        EXPECT_EQ(written.bytes, c.bytes);
        EXPECT_TRUE(stream.good());
    }
}

TEST(Utf8OutputBuffer, SurrogatePairSplitAcrossWritesStaysWhole) {
    Written written;
    Utf8OutputBuffer buffer = MakeBuffer(written);
    std::wostream stream(&buffer);
    // U+1F600 as its two UTF-16 code units, whatever the width of wchar_t.
    const std::wstring pair = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    stream << pair[0] << std::flush;
    EXPECT_EQ(written.bytes, "");
    stream << pair[1] << std::flush;
    EXPECT_EQ(written.bytes, "\xF0\x9F\x98\x80");
}

TEST(Utf8OutputBuffer, FinishSettlesALoneHighSurrogate) {
    Written written;
    Utf8OutputBuffer buffer = MakeBuffer(written);
    std::wostream stream(&buffer);
    stream << L"x\xD83D";
    EXPECT_TRUE(buffer.Finish());
    EXPECT_EQ(written.bytes, "x\xEF\xBF\xBD");
}

TEST(Utf8OutputBuffer, NothingReachesTheSinkBeforeAFlush) {
    Written written;
    Utf8OutputBuffer buffer = MakeBuffer(written);
    std::wostream stream(&buffer);
    stream << L"partial";
    EXPECT_EQ(written.bytes, "");
    stream << std::endl;
    EXPECT_EQ(written.bytes, "partial\r\n");
}

TEST(Utf8OutputBuffer, RefusedWriteFailsTheStreamAndLaterTextIsDropped) {
    Written written;
    Utf8OutputBuffer buffer = MakeBuffer(written);
    std::wostream stream(&buffer);
    written.refuse = true;
    stream << L"one" << std::endl;
    EXPECT_TRUE(stream.bad());
    written.refuse = false;
    stream << L"two" << std::endl;
    EXPECT_EQ(written.bytes, "");
}

#include "foundation/text/Utf8.h"
#include "foundation/lang/Exception.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Tessel::Common;

namespace {
std::wstring Units(std::initializer_list<unsigned> units) {
    std::wstring text;
    for (unsigned u : units)
        text += static_cast<wchar_t>(u);
    return text;
}
} // namespace

TEST(Utf8, RoundTripsEveryPlane) {
    const std::vector<std::wstring> texts = {
        L"", L"groups.txt", Units({0xE9, 0xFF}), Units({0x65B0, 0x5EFA, 0x7EC4}), Units({0xD83D, 0xDE00, 0x41}),
    };
    for (const auto& text : texts) {
        std::wstring back;
        EXPECT_TRUE(Utf8ToUtf16(Utf16ToUtf8(text), back));
        EXPECT_EQ(back, text);
    }
    EXPECT_EQ(Utf16ToUtf8(Units({0xD83D, 0xDE00})), "\xF0\x9F\x98\x80");
}

TEST(Utf8, UnpairedSurrogateBecomesReplacementCharacter) {
    EXPECT_EQ(Utf16ToUtf8(Units({0x61, 0xD800})), "a\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(Units({0xDC00, 0x62})), "\xEF\xBF\xBD"
                                                  "b");
}

TEST(Utf8, InvalidBytesAreKeptAsLatin1AndReported) {
    struct Case {
        std::string bytes;
        std::wstring text;
    };
    const std::vector<Case> cases = {
        {"caf\xE9", Units({'c', 'a', 'f', 0xE9})},             // Latin-1, not UTF-8
        {"\xC0\xAF", Units({0xC0, 0xAF})},                     // overlong "/"
        {"\xED\xA0\x80", Units({0xED, 0xA0, 0x80})},           // encoded surrogate
        {"\xE6\x96", Units({0xE6, 0x96})},                     // cut short
        {"\xF4\x90\x80\x80", Units({0xF4, 0x90, 0x80, 0x80})}, // beyond U+10FFFF
    };
    for (const Case& c : cases) {
        std::wstring text;
        EXPECT_FALSE(Utf8ToUtf16(c.bytes, text));
        EXPECT_EQ(text, c.text);
    }
}

TEST(Exception, CarriesTheMessageAndItsUtf8Form) {
    const Exception e(L"Unable to write to C:\\" + Units({0x5F20}) + L".ini");
    EXPECT_EQ(e.Message(), L"Unable to write to C:\\" + Units({0x5F20}) + L".ini");
    EXPECT_STREQ(e.what(), "Unable to write to C:\\\xE5\xBC\xA0.ini");
}

#include "framework/NumberText.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

TEST(WholeNumberInRange, TakesOnlyDigitsThatMakeANumberOfTheRange) {
    struct Case {
        std::wstring text;
        std::optional<int> value;
    };
    const Case cases[] = {
        {L"1", 1},
        {L"500", 500},
        {L"42", 42},
        {L"007", 7},
        {L"0", std::nullopt},
        {L"501", std::nullopt},
        {L"", std::nullopt},
        {L" 42", std::nullopt},
        {L"42 ", std::nullopt},
        {L"+42", std::nullopt},
        {L"-1", std::nullopt},
        {L"4.2", std::nullopt},
        {L"1,000", std::nullopt},
        {L"12a", std::nullopt},
        // Arabic-Indic digits are digits to the system, not to this box.
        {L"\u0664\u0662", std::nullopt},
        // Far past what an int holds: refused, not wrapped round into the range.
        {L"4294967338", std::nullopt},
        {L"99999999999999999999999999999999999999999", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WholeNumberInRange(c.text, 1, 500), c.value) << testing::PrintToString(c.text);
    }
}

TEST(WholeNumberInRange, RangeEdges) {
    EXPECT_EQ(WholeNumberInRange(L"2147483647", 0, INT_MAX), INT_MAX);
    EXPECT_EQ(WholeNumberInRange(L"2147483648", 0, INT_MAX), std::nullopt);
    EXPECT_EQ(WholeNumberInRange(L"0", 0, 0), 0);
    EXPECT_EQ(WholeNumberInRange(L"5", 10, 1), std::nullopt);
}

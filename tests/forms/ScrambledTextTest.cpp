#include "forms/ScrambledText.h"

#include <gtest/gtest.h>

TEST(ScrambledText, EachCharacterLosesTheOffsetOfItsPosition) {
    // Every character kept as 'A' plus its offset: (i + 1) * (10 - i) for the first ten,
    // (i + 1) * (22 - i) after them.
    ScrambledText::Stored stored{};
    for (int i = 0; i < 22; ++i) {
        stored[i] = static_cast<std::uint16_t>(L'A' + (i < 10 ? (i + 1) * (10 - i) : (i + 1) * (22 - i)));
    }
    EXPECT_EQ(ScrambledText::Unscramble(stored), std::wstring(22, L'A'));
    // Offsets at the turn: 10 * 1 at position 9, 11 * 12 at position 10.
    stored.fill(0);
    stored[9] = 10 + L'x';
    stored[10] = 132 + L'y';
    EXPECT_EQ(ScrambledText::Unscramble(stored).substr(9, 2), L"xy");
}

TEST(ScrambledText, TheKeptTextsReadBack) {
    EXPECT_EQ(ScrambledText::MakersNotice(), L"\u00a9 2013 Tilebay makers.");
    EXPECT_EQ(ScrambledText::HiddenMessage(), L"Made with care. Enjoy!");
}

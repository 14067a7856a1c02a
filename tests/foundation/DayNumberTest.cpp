#include "foundation/time/DayNumber.h"

#include <gtest/gtest.h>

using Tessel::Common::DayNumberOfDate;

TEST(DayNumber, CountsWholeDaysFromTheThirtiethOfDecember1899) {
    struct Case {
        int year, month, day;
        int expected;
    };
    const Case cases[] = {
        {1899, 12, 30, 0},     {1899, 12, 31, 1},   {1899, 12, 29, -1},      {1900, 1, 1, 2},
        {1900, 2, 28, 60},     {1900, 3, 1, 61}, // 1900 is no leap year
        {2000, 2, 29, 36585},  {2000, 3, 1, 36586}, {2010, 1, 1, 40179},     {2024, 12, 31, 45657},
        {1600, 1, 1, -109571}, {1, 1, 1, -693593},  {9999, 12, 31, 2958465},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DayNumberOfDate(c.year, c.month, c.day), c.expected) << c.year << "-" << c.month << "-" << c.day;
    }
}

TEST(DayNumber, ConsecutiveDaysAcrossMonthAndYearEndsDifferByOne) {
    const int daysInMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int year : {1900, 1999, 2000, 2023, 2024}) {
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        int expected = DayNumberOfDate(year, 1, 1);
        for (int month = 1; month <= 12; ++month) {
            const int last = month == 2 && !leap ? 28 : daysInMonth[month - 1];
            for (int day = 1; day <= last; ++day) {
                ASSERT_EQ(DayNumberOfDate(year, month, day), expected++) << year << "-" << month << "-" << day;
            }
        }
        EXPECT_EQ(DayNumberOfDate(year + 1, 1, 1), expected);
    }
}

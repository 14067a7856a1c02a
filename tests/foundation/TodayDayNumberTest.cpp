#include "foundation/win32/TodayDayNumber.h"
#include "foundation/time/DayNumber.h"

#include <windows.h>

#include <oleauto.h>

#include <gtest/gtest.h>

using Tessel::Common::DayNumberOfDate;
using Tessel::Common::TodayDayNumber;

namespace {
// The system's own date value (whole days since 30 December 1899) of a date.
int SystemDayNumber(WORD year, WORD month, WORD day) {
    SYSTEMTIME date = {};
    date.wYear = year;
    date.wMonth = month;
    date.wDay = day;
    double value = 0;
    EXPECT_TRUE(SystemTimeToVariantTime(&date, &value));
    return static_cast<int>(value);
}
} // namespace

TEST(DayNumber, AgreesWithTheSystemsDateValue) {
    for (WORD year = 1900; year <= 2100; year += 7) {
        for (WORD month = 1; month <= 12; ++month) {
            for (WORD day : {1, 15, 28}) {
                ASSERT_EQ(DayNumberOfDate(year, month, day), SystemDayNumber(year, month, day))
                    << year << "-" << month << "-" << day;
            }
        }
    }
}

TEST(DayNumber, TodayIsTheLocalDate) {
    SYSTEMTIME before = {};
    GetLocalTime(&before);
    const int today = TodayDayNumber();
    SYSTEMTIME after = {};
    GetLocalTime(&after);
    // Around midnight the date may change between the readings.
    const int first = SystemDayNumber(before.wYear, before.wMonth, before.wDay);
    const int second = SystemDayNumber(after.wYear, after.wMonth, after.wDay);
    EXPECT_TRUE(today == first || today == second) << today;
    EXPECT_GT(today, 40179);
}

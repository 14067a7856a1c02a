#include "foundation/time/DayNumber.h"

namespace Tessel::Common {

namespace {
// Days from 1 March of year 0 to 30 December 1899, the day numbers' zero.
constexpr long long DaysToDayZero = 693899;
} // namespace

int DayNumberOfDate(int year, int month, int day) {
    // Count years from March, so the leap day ends a year and every month before it is fixed.
    const long long y = static_cast<long long>(year) - (month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yearOfEra = y - era * 400;
    const long long monthFromMarch = month > 2 ? month - 3 : month + 9;
    const long long dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<int>(era * 146097 + dayOfEra - DaysToDayZero);
}

} // namespace Tessel::Common

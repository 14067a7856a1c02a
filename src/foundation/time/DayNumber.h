#pragma once

namespace Tessel::Common {

// Whole days from 30 December 1899 to the given date of the proleptic Gregorian calendar
// (1 January 2010 is 40179; earlier dates are negative). Month 1 to 12, day 1 to 31.
int DayNumberOfDate(int year, int month, int day);

} // namespace Tessel::Common

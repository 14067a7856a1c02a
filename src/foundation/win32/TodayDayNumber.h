#pragma once

namespace Tessel::Common {

// Today's local date as a day number (whole days since 30 December 1899).
int TodayDayNumber();

} // namespace Tessel::Common

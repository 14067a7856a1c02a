#include "foundation/win32/TodayDayNumber.h"
#include "foundation/time/DayNumber.h"

#include <windows.h>

namespace Tessel::Common {

int TodayDayNumber() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    return DayNumberOfDate(now.wYear, now.wMonth, now.wDay);
}

} // namespace Tessel::Common

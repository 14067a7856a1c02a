#include "foundation/win32/WindowsPrecisionTimer.h"

#include <windows.h>

namespace Tessel::Common {

WindowsPrecisionTimer::WindowsPrecisionTimer() {
    LARGE_INTEGER frequency;
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0) {
        mFrequency = frequency.QuadPart;
    }
}

void WindowsPrecisionTimer::Start() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    mLast = now.QuadPart;
}

long double WindowsPrecisionTimer::ElapsedMilliseconds() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const long double elapsed = static_cast<long double>(now.QuadPart - mLast) * 1000.0L / mFrequency;
    mLast = now.QuadPart;
    return elapsed;
}

} // namespace Tessel::Common

#pragma once

#include "foundation/time/IPrecisionTimer.h"

#include <cstdint>

namespace Tessel::Common {

// Lap timer on the performance counter. Construction only reads the frequency.
class WindowsPrecisionTimer : public IPrecisionTimer {
public:
    WindowsPrecisionTimer();
    void Start() override;
    long double ElapsedMilliseconds() override;

private:
    std::int64_t mFrequency = 1;
    std::int64_t mLast = 0;
};

} // namespace Tessel::Common

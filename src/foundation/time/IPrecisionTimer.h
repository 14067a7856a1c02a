#pragma once

namespace Tessel::Common {

// A lap timer: every reading restarts the lap.
class IPrecisionTimer {
public:
    virtual ~IPrecisionTimer() = default;
    virtual void Start() = 0;
    virtual long double ElapsedMilliseconds() = 0;
};

} // namespace Tessel::Common

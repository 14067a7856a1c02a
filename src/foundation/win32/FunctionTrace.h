#pragma once

#include "foundation/time/IPrecisionTimer.h"
#include "foundation/win32/WindowsPrecisionTimer.h"

namespace Tessel::Common::Logging {

// Placed at the top of a traced function: writes "EnterFunc" on entry and
// "ExitFunc <elapsed ms>" on every way out. With DBG off it writes nothing and never
// reads the performance counter. The DBG switch is read anew at each point.
class FunctionTrace {
public:
    explicit FunctionTrace(const char* function);
    // For tests: measures with the given timer instead of the performance counter.
    FunctionTrace(const char* function, IPrecisionTimer& timer);
    ~FunctionTrace();

    FunctionTrace(const FunctionTrace&) = delete;
    FunctionTrace& operator=(const FunctionTrace&) = delete;

private:
    void Enter();

    const char* mFunction;
    WindowsPrecisionTimer mOwnTimer;
    IPrecisionTimer* mTimer;
};

} // namespace Tessel::Common::Logging

#define TESSEL_TRACE_CONCAT2(a, b) a##b
#define TESSEL_TRACE_CONCAT(a, b) TESSEL_TRACE_CONCAT2(a, b)
#define TRACE_FUNCTION(function)                                                                                       \
    ::Tessel::Common::Logging::FunctionTrace TESSEL_TRACE_CONCAT(tesselTrace, __LINE__)(function)

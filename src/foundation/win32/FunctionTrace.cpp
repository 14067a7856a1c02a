#include "foundation/win32/FunctionTrace.h"

#include "foundation/logging/Log.h"

namespace Tessel::Common::Logging {

FunctionTrace::FunctionTrace(const char* function) : mFunction(function), mTimer(&mOwnTimer) {
    Enter();
}

FunctionTrace::FunctionTrace(const char* function, IPrecisionTimer& timer) : mFunction(function), mTimer(&timer) {
    Enter();
}

void FunctionTrace::Enter() {
    LOG_DBG(mFunction, L"EnterFunc");
    if (IsLogLevelEnabled(LogLevelDebug)) {
        mTimer->Start();
    }
}

FunctionTrace::~FunctionTrace() {
    // The log never throws, but a destructor must not let anything escape whatever happens.
    try {
        long double elapsed = 0.0L;
        if (IsLogLevelEnabled(LogLevelDebug)) {
            elapsed = mTimer->ElapsedMilliseconds();
        }
        LOG_DBG(mFunction, L"ExitFunc " << static_cast<double>(elapsed));
    } catch (...) {
    }
}

} // namespace Tessel::Common::Logging

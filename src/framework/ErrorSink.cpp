#include "framework/ErrorSink.h"

#include "foundation/lang/Exception.h"
#include "foundation/logging/Log.h"
#include "foundation/text/Utf8.h"

#include <exception>
#include <utility>

namespace {

ErrorHandler& InstalledHandler() {
    static ErrorHandler handler;
    return handler;
}

} // namespace

ErrorHandler SetErrorHandler(ErrorHandler handler) {
    return std::exchange(InstalledHandler(), std::move(handler));
}

std::wstring CurrentExceptionMessage() {
    try {
        throw;
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return Tessel::Common::Utf8ToUtf16(e.what());
    } catch (...) {
        return Tessel::Common::Logging::UnknownExceptionMessage;
    }
}

void HandleCurrentException() noexcept {
    try {
        if (const ErrorHandler& handler = InstalledHandler()) {
            handler();
            return;
        }
        LOG_ERR("HandleCurrentException", CurrentExceptionMessage());
    } catch (...) {
        // Not even the log could take it; the caller goes on regardless.
    }
}

#include "framework/ErrorSink.h"

#include "foundation/lang/Exception.h"
#include "foundation/logging/Log.h"
#include "foundation/text/Utf8.h"

#include <exception>

namespace {

std::function<void()> gExceptionHandler;

} // namespace

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

void SetExceptionHandler(std::function<void()> handler) {
    gExceptionHandler = std::move(handler);
}

void HandleCurrentException() noexcept {
    try {
        if (gExceptionHandler) {
            // A copy: the handler may replace itself.
            const std::function<void()> handler = gExceptionHandler;
            handler();
            return;
        }
        LOG_ERR("HandleCurrentException", CurrentExceptionMessage());
    } catch (...) {
        // Not even the log could take it; the caller goes on regardless.
    }
}

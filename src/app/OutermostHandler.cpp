#include "app/OutermostHandler.h"

#include "foundation/logging/Log.h"

void RunWithOutermostHandler(const std::function<void()>& body,
                             const std::function<void(const Exception&)>& showException) {
    try {
        body();
    } catch (const Exception& e) {
        LOG_ERR("WinMain", e.Message());
        showException(e);
    } catch (...) {
        LOG_ERR("WinMain", Tessel::Common::Logging::UnknownExceptionMessage);
        showException(Exception(L""));
    }
}

#include "forms/SaveFailureNotice.h"

#include "foundation/logging/Log.h"

bool SaveFailureNotice::Failed(const std::wstring& message) {
    ++mFailures;
    if (mFailures == 1) {
        // The caller shows it; the error box logs its own line.
        return true;
    }
    LOG_ERR("SaveFailureNotice::Failed",
            L"Saving the groups failed again (" << mFailures << L" failures in a row; tried again later): " << message);
    return false;
}

void SaveFailureNotice::Saved() {
    if (mFailures == 0) {
        return;
    }
    LOG_INF("SaveFailureNotice::Saved", L"The groups are saved again after " << mFailures << L" failed attempts");
    mFailures = 0;
}

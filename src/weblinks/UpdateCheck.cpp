#include "weblinks/UpdateCheck.h"

#include "weblinks/WebAddresses.h"

#include <utility>

UpdateCheck::UpdateCheck(std::function<int()> today, std::function<int()> firstRunDay)
    : mToday(std::move(today)), mFirstRunDay(std::move(firstRunDay)) {}

bool UpdateCheck::MinuteTick(bool panelOutOfView) {
    if (mTried) {
        return false;
    }
    --mCountdown;
    if (mCountdown < 0 && panelOutOfView) {
        mTried = true;
        return true;
    }
    return false;
}

bool UpdateCheck::IsPromptDay() const {
    return IsPromptDay(mToday(), mFirstRunDay());
}

bool UpdateCheck::IsPromptDay(int today, int firstRunDay) {
    long long distance = static_cast<long long>(today) - firstRunDay;
    if (distance < 0) {
        distance = -distance;
    }
    return distance % 30 == 29;
}

std::wstring UpdatePageUrl(const std::wstring& versionText) {
    return std::wstring(WebAddresses::MakerSite) + L"Tilebay" + L"/CheckUpdate.php?v=" + versionText;
}

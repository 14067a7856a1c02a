// The panel's part of the advertised links: their menu behind the links button, and the link of
// the day in the label beside it. Both controls are hidden as the panel is designed.
#include "forms/TMainForm.h"

#include "foundation/logging/Log.h"
#include "foundation/win32/FunctionTrace.h"
#include "foundation/win32/TodayDayNumber.h"
#include "settings/IUserSettings.h"
#include "weblinks/WebPages.h"

void TMainForm::BuildAdMenu() {
    TRACE_FUNCTION("TMainForm::BuildAdMenu");
    if (mAdItems == nullptr || mPopupMenuAd.Items.Count() != 0) {
        return;
    }
    for (std::size_t i = 0; i < mAdItems->size(); ++i) {
        TMenuItem& item = mPopupMenuAd.Items.Add((*mAdItems)[i].Text);
        item.Tag = static_cast<std::intptr_t>(i);
        item.OnClick = [this](TMenuItem& chosen) { OnAdMenuItemClick(chosen); };
    }
}

void TMainForm::HideLinkLabelOnFirstRunDay() {
    if (mUserSettings == nullptr) {
        return;
    }
    // On the first run the settings report -1 for the first-run day.
    const int firstRunDay = mUserSettings->GetFirstRunDate();
    if (firstRunDay == -1 || firstRunDay == Tessel::Common::TodayDayNumber()) {
        mLbLink.SetVisible(false);
    }
}

void TMainForm::ShowAdInLinkLabel(int index) {
    if (mAdItems == nullptr || mAdItems->empty()) {
        return;
    }
    const long long count = static_cast<long long>(mAdItems->size());
    const std::size_t chosen = static_cast<std::size_t>(((index % count) + count) % count);
    const AdItem& item = (*mAdItems)[chosen];
    mLbLink.SetCaption(item.Text);
    mLbLink.SetHint(item.Tooltip);
    mLbLink.Tag = static_cast<std::intptr_t>(chosen);
    LOG_DBG("TMainForm::ShowAdInLinkLabel", L"Link of the day " << chosen << L": " << item.Text);
}

void TMainForm::mBtnShowAdMenuClick() {
    TRACE_FUNCTION("TMainForm::mBtnShowAdMenuClick");
    LOG_USER_ACTION("TMainForm::mBtnShowAdMenuClick");
    const RECT bounds = mBtnShowAdMenu.BoundsRect();
    const POINT corner = ClientToScreen(POINT{bounds.right, bounds.top});
    mPopupMenuAd.Popup(Handle(), corner.x, corner.y);
}

void TMainForm::mLbLinkClick() {
    TRACE_FUNCTION("TMainForm::mLbLinkClick");
    LOG_USER_ACTION("TMainForm::mLbLinkClick");
    if (mAdItems != nullptr) {
        OpenAdLink(*mAdItems, static_cast<std::size_t>(mLbLink.Tag));
    }
}

void TMainForm::OnAdMenuItemClick(TMenuItem& item) {
    TRACE_FUNCTION("TMainForm::OnAdMenuItemClick");
    LOG_USER_ACTION("TMainForm::OnAdMenuItemClick");
    if (mAdItems != nullptr) {
        OpenAdLink(*mAdItems, static_cast<std::size_t>(item.Tag));
    }
}

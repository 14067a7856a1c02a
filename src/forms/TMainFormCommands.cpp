// What the panel's buttons, labels and menu commands do to the groups, their views and the
// settings. Every command is a direct user action: traced, with the user marker line.
#include "forms/TMainForm.h"
#include "forms/TOptionsForm.h"

#include "foundation/logging/Log.h"
#include "foundation/win32/FunctionTrace.h"
#include "framework/Application.h"
#include "framework/HintWindow.h"
#include "settings/ConfigItems.h"
#include "weblinks/WebAddresses.h"
#include "weblinks/WebPages.h"

#include <shellapi.h>

#include <algorithm>

namespace {

// Where the add button puts its next group, and how far each one moves it on.
constexpr int CascadeStep = 20;

} // namespace

void TMainForm::WireCommands() {
    mBtnAdd.OnClick = [this] { mBtnAddClick(); };
    mLbProductName.OnClick = [this] { mLbProductNameClick(); };
    mLbBottomLeft.OnClick = [this] { mLbBottomLeftClick(); };
    mLbFirstRunFill.OnClick = [this] { mLbFirstRunFillClick(); };
    mMenuItemOpenFileLocation->OnClick = [this](TMenuItem&) { mMenuItemOpenFileLocationClick(); };
    mMenuItemShowToolTip->OnClick = [this](TMenuItem&) { mMenuItemShowToolTipClick(); };
    mMenuItemLinkItemOpenProperties->OnClick = [this](TMenuItem&) { mMenuItemLinkItemOpenPropertiesClick(); };
    mMenuItemDeleteLinkItem->OnClick = [this](TMenuItem&) { mMenuItemDeleteLinkItemClick(); };
    for (TMenuItem* style : {mMenuItemIconStyleLarge, mMenuItemIconStyleLargeWithText, mMenuItemIconStyleSmall}) {
        style->OnClick = [this](TMenuItem& item) { MenuItemChangeIconStyleClick(item); };
    }
    for (std::size_t i = 0; i < mMenuItemGroupBackground->Count(); ++i) {
        (*mMenuItemGroupBackground)[i].OnClick = [this](TMenuItem& item) { OnGroupBackgroundMenuItemClick(item); };
    }
    mMenuItemDeleteGroup->OnClick = [this](TMenuItem&) { mMenuItemDeleteGroupClick(); };
    mMenuItemAddNewGroup->OnClick = [this](TMenuItem&) { mMenuItemAddNewGroupClick(); };
    mMenuItemOptions->OnClick = [this](TMenuItem&) { mMenuItemOptionsClick(); };
    mMenuItemAbout->OnClick = [this](TMenuItem&) { mMenuItemAboutClick(); };
}

LinkGroupView* TMainForm::MenuGroup(const TPopupMenu& menu) const {
    const auto* tagged = reinterpret_cast<const LinkGroupView*>(menu.Tag);
    const auto it = std::find_if(mGroupViews.begin(), mGroupViews.end(),
                                 [tagged](const auto& view) { return view.get() == tagged; });
    return tagged != nullptr && it != mGroupViews.end() ? it->get() : nullptr;
}

LinkItemModel* TMainForm::MenuLink(LinkGroupView* group, const TMenuItem& item) const {
    if (group == nullptr || group->GetModel() == nullptr) {
        return nullptr;
    }
    const auto& links = group->GetModel()->GetLinks();
    if (item.Tag < 0 || item.Tag >= static_cast<std::intptr_t>(links.size())) {
        return nullptr;
    }
    return links[static_cast<std::size_t>(item.Tag)].get();
}

void TMainForm::AddGroupAt(POINT offset) {
    LinkGroupView* view = CreateGroupView(mOrvexModel.AddNewGroup());
    RECT bounds = view->GetBounds();
    OffsetRect(&bounds, offset.x, offset.y);
    view->SetBounds(bounds);
    mRootView.AddChild(view);
    mRootView.UpdateLayout();
    Invalidate();
    mOrvexModel.SetChanged();
    UpdateFirstRunOffer();
}

void TMainForm::mBtnAddClick() {
    TRACE_FUNCTION("TMainForm::mBtnAddClick");
    LOG_USER_ACTION("TMainForm::mBtnAddClick");
    AddGroupAt(POINT{Scale().Px(mCascade.x), Scale().Px(mCascade.y)});
    mCascade.x += CascadeStep;
    mCascade.y += CascadeStep;
}

void TMainForm::mMenuItemAddNewGroupClick() {
    TRACE_FUNCTION("TMainForm::mMenuItemAddNewGroupClick");
    LOG_USER_ACTION("TMainForm::mMenuItemAddNewGroupClick");
    // The menu's corner in the panel's client area: the new group's corner is where the user
    // asked for it, not off by the sizing border.
    AddGroupAt(ScreenToClient(mPopupMenuOrvexView.PopupPoint()));
}

void TMainForm::MenuItemChangeIconStyleClick(TMenuItem& item) {
    TRACE_FUNCTION("TMainForm::MenuItemChangeIconStyleClick");
    LOG_USER_ACTION("TMainForm::MenuItemChangeIconStyleClick");
    LinkGroupView* group = MenuGroup(mPopupMenuLinkGroup);
    if (group == nullptr || item.Checked) {
        return;
    }
    LinkGroupSettings& settings = group->GetModel()->GetSettings();
    if (&item == mMenuItemIconStyleLarge) {
        settings.SetIsLargeIcon(true);
        settings.SetIsTitleVisible(false);
    } else if (&item == mMenuItemIconStyleLargeWithText) {
        settings.SetIsLargeIcon(true);
        settings.SetIsTitleVisible(true);
    } else {
        settings.SetIsLargeIcon(false);
        settings.SetIsTitleVisible(true);
    }
    UpdateGroupMenuChecks(group);
    group->RefreshFromModel();
}

void TMainForm::OnGroupBackgroundMenuItemClick(TMenuItem& item) {
    TRACE_FUNCTION("TMainForm::OnGroupBackgroundMenuItemClick");
    LOG_USER_ACTION("TMainForm::OnGroupBackgroundMenuItemClick");
    LinkGroupView* group = MenuGroup(mPopupMenuLinkGroup);
    if (group == nullptr) {
        return;
    }
    const int index = static_cast<int>(item.Tag % BackgroundCount);
    // Marks the model changed when it is another background.
    group->GetModel()->GetSettings().SetBackgroundIndex(index);
    group->SetBackground(&BackgroundFor(index));
    group->RefreshFromModel();
}

void TMainForm::ForgetGroupView(LinkGroupView* group) {
    for (TPopupMenu* menu : {&mPopupMenuLinkGroup, &mPopupMenuLinkItem}) {
        if (menu->Tag == reinterpret_cast<std::intptr_t>(group)) {
            menu->Tag = 0;
        }
    }
    mDragState.Forget(group);
    if (mFocusView == group) {
        mFocusView = nullptr;
        mFocusIndex = -1;
    }
    // The search points at the group's shortcuts: it ends.
    EndFilter();
    // A tooltip of one of its shortcuts may still show.
    HideLinkToolTip();
}

void TMainForm::mMenuItemDeleteGroupClick() {
    TRACE_FUNCTION("TMainForm::mMenuItemDeleteGroupClick");
    LOG_USER_ACTION("TMainForm::mMenuItemDeleteGroupClick");
    LinkGroupView* group = MenuGroup(mPopupMenuLinkGroup);
    if (group == nullptr) {
        return;
    }
    LinkGroupModel* model = group->GetModel();
    ForgetGroupView(group);
    // Also forgets it as the hovered child, and lays the others out again.
    mRootView.RemoveChild(group);
    const auto it =
        std::find_if(mGroupViews.begin(), mGroupViews.end(), [group](const auto& view) { return view.get() == group; });
    // No view's call is under way: the menu ran after the views had answered.
    mGroupViews.erase(it);
    // Frees the group with its shortcuts (their files stay) and writes the store at once.
    SaveReportingFailures([&] { mOrvexModel.RemoveGroup(model); });
    Invalidate();
    UpdateFirstRunOffer();
}

void TMainForm::mMenuItemDeleteLinkItemClick() {
    TRACE_FUNCTION("TMainForm::mMenuItemDeleteLinkItemClick");
    LOG_USER_ACTION("TMainForm::mMenuItemDeleteLinkItemClick");
    LinkGroupView* group = MenuGroup(mPopupMenuLinkItem);
    if (MenuLink(group, *mMenuItemDeleteLinkItem) == nullptr) {
        return;
    }
    HideLinkToolTip();
    // The file goes before the store is saved: today's snapshot must hold it first.
    mLayouts.KeepBeforeChange(mOrvexModel.LoadProblem().empty());
    // Deletes the shortcut's file, then the shortcut, and lays the group out again.
    group->RemoveLink(static_cast<int>(mMenuItemDeleteLinkItem->Tag), true);
    mOrvexModel.SetChanged();
    RefreshFilter();
}

void TMainForm::mMenuItemOpenFileLocationClick() {
    TRACE_FUNCTION("TMainForm::mMenuItemOpenFileLocationClick");
    LOG_USER_ACTION("TMainForm::mMenuItemOpenFileLocationClick");
    if (LinkItemModel* link = MenuLink(MenuGroup(mPopupMenuLinkItem), *mMenuItemOpenFileLocation)) {
        link->OpenFileLocation();
    }
}

void TMainForm::mMenuItemShowToolTipClick() {
    TRACE_FUNCTION("TMainForm::mMenuItemShowToolTipClick");
    LOG_USER_ACTION("TMainForm::mMenuItemShowToolTipClick");
    LinkItemModel* link = MenuLink(MenuGroup(mPopupMenuLinkItem), *mMenuItemShowToolTip);
    if (link == nullptr) {
        return;
    }
    mMenuItemShowToolTip->Checked = !mMenuItemShowToolTip->Checked;
    link->SetIsShowingToolTip(mMenuItemShowToolTip->Checked);
    mOrvexModel.SetChanged();
}

void TMainForm::mMenuItemLinkItemOpenPropertiesClick() {
    TRACE_FUNCTION("TMainForm::mMenuItemLinkItemOpenPropertiesClick");
    LOG_USER_ACTION("TMainForm::mMenuItemLinkItemOpenPropertiesClick");
    if (LinkItemModel* link = MenuLink(MenuGroup(mPopupMenuLinkItem), *mMenuItemLinkItemOpenProperties)) {
        link->OpenProperties();
    }
}

void TMainForm::ShowOptions(bool aboutPage) {
    // Made, shown and destroyed for this showing only; it reads the current settings each time.
    TOptionsForm dialog;
    dialog.AfterConstruction();
    struct DestroyOnExit {
        TOptionsForm& form;
        ~DestroyOnExit() { form.Destroy(); }
    } destroy{dialog};
    dialog.mSettings = mUserSettings;
    dialog.mTexts = mTexts;
    dialog.mShowAboutPage = aboutPage;
    if (mConfigItems != nullptr) {
        dialog.mHotkey = &mConfigItems->Hotkey.value;
        dialog.mHotkeyHeld = mHotkey.Held() ? mHotkey.Keys() : 0;
    }
    dialog.ShowModal();
    // OK stored the hotkey: the new one takes the old one's place.
    ApplyHotkey();
}

void TMainForm::mMenuItemOptionsClick() {
    TRACE_FUNCTION("TMainForm::mMenuItemOptionsClick");
    LOG_USER_ACTION("TMainForm::mMenuItemOptionsClick");
    ShowOptions(false);
}

void TMainForm::mMenuItemAboutClick() {
    TRACE_FUNCTION("TMainForm::mMenuItemAboutClick");
    LOG_USER_ACTION("TMainForm::mMenuItemAboutClick");
    ShowOptions(true);
}

void TMainForm::OpenProductPage() {
    OpenWebPage(WebAddresses::ProductPage);
}

void TMainForm::mLbProductNameClick() {
    TRACE_FUNCTION("TMainForm::mLbProductNameClick");
    LOG_USER_ACTION("TMainForm::mLbProductNameClick");
    OpenProductPage();
}

void TMainForm::mLbBottomLeftClick() {
    TRACE_FUNCTION("TMainForm::mLbBottomLeftClick");
    LOG_USER_ACTION("TMainForm::mLbBottomLeftClick");
    OpenProductPage();
}

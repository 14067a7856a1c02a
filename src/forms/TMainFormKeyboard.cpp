// The panel without a mouse: Tab and Shift+Tab go from group to group, the arrows from shortcut
// to shortcut, Enter runs the one the keyboard is on and the menu key or Shift+F10 opens its
// menu. A search selects through the same focus, so a shortcut is reached the same way by typing
// or by arrows. Screen readers see the groups, shortcuts and band controls the panel draws as
// objects of their own, and hear of every move of the focus.
#include "forms/TMainForm.h"

#include "culture/ICultureManager.h"
#include "foundation/logging/Log.h"
#include "foundation/win32/FunctionTrace.h"
#include "framework/Accessibility.h"
#include "model/LinkGroupModel.h"
#include "model/LinkItemModel.h"
#include "weblinks/WebAddresses.h"

#include <algorithm>

namespace {

// The band's controls in the order readers list them.
enum BandControl { AddButton, PinButton, ProductLabel, SiteLabel, BandControls };

bool ShiftDown() {
    return GetKeyState(VK_SHIFT) < 0;
}

POINT PointerPos() {
    POINT point{0, 0};
    GetCursorPos(&point);
    return point;
}

} // namespace

std::vector<LinkGroupView*> TMainForm::GroupsInReadingOrder() const {
    std::vector<LinkGroupView*> groups;
    groups.reserve(mGroupViews.size());
    for (const auto& view : mGroupViews) {
        groups.push_back(view.get());
    }
    // Rows from the top, left to right in a row: a card whose top lies within half a cell of
    // another's is on its row.
    std::stable_sort(groups.begin(), groups.end(), [](const LinkGroupView* a, const LinkGroupView* b) {
        const RECT ra = a->GetBodyRect();
        const RECT rb = b->GetBodyRect();
        const int row = a->GetCellHeight() / 2;
        if (ra.top / std::max(1, row) != rb.top / std::max(1, row)) {
            return ra.top < rb.top;
        }
        return ra.left < rb.left;
    });
    return groups;
}

LinkGroupView* TMainForm::GroupAt(int position) const {
    const std::vector<LinkGroupView*> groups = GroupsInReadingOrder();
    return position >= 0 && static_cast<std::size_t>(position) < groups.size()
               ? groups[static_cast<std::size_t>(position)]
               : nullptr;
}

LinkGroupView* TMainForm::GetKeyFocus(int& index) const {
    if (mFocusView == nullptr) {
        return nullptr;
    }
    const int count = static_cast<int>(mFocusView->GetModel()->GetLinks().size());
    index = mFocusIndex < count ? mFocusIndex : count - 1;
    return mFocusView;
}

PanelAccessSource::Place TMainForm::PlaceOf(const LinkGroupView* view, int index) const {
    Place place;
    if (view == nullptr) {
        return place;
    }
    const std::vector<LinkGroupView*> groups = GroupsInReadingOrder();
    const auto found = std::find(groups.begin(), groups.end(), view);
    if (found != groups.end()) {
        place.group = static_cast<int>(found - groups.begin());
        place.link = index;
    }
    return place;
}

void TMainForm::SetKeyFocus(LinkGroupView* view, int index) {
    if (view != nullptr) {
        const int count = static_cast<int>(view->GetModel()->GetLinks().size());
        index = count == 0 ? -1 : std::clamp(index, 0, count - 1);
    } else {
        index = -1;
    }
    const bool moved = view != mFocusView || index != mFocusIndex;
    if (mFocusView != nullptr && mFocusView != view) {
        mFocusView->SetGroupFocused(Handle(), false);
    }
    mFocusView = view;
    mFocusIndex = index;
    if (view != nullptr) {
        view->SetGroupFocused(Handle(), index < 0);
    }
    ApplyFilterMarks();
    if (moved && view != nullptr) {
        const LinkItemModel* link =
            index >= 0 ? view->GetModel()->GetLinks()[static_cast<std::size_t>(index)].get() : nullptr;
        LOG_INF("TMainForm::SetKeyFocus", L"Keyboard on group " << PlaceOf(view, -1).group + 1
                                                                << (link != nullptr ? L", " + link->FileName() : L""));
        AnnounceKeyFocus();
    }
}

void TMainForm::AnnounceKeyFocus() {
    int index = -1;
    const LinkGroupView* view = GetKeyFocus(index);
    const Place place = PlaceOf(view, index);
    if (place.group < 0 || Handle() == nullptr) {
        return;
    }
    const LONG child = PanelAccessible::EventChildId(place.group, place.link);
    // In the search box the keyboard stays in the box: readers hear of the selection only.
    if (GetFocus() == Handle()) {
        Accessibility::Notify(EVENT_OBJECT_FOCUS, Handle(), OBJID_CLIENT, child);
    }
    if (place.link >= 0) {
        Accessibility::Notify(EVENT_OBJECT_SELECTION, Handle(), OBJID_CLIENT, child);
    }
}

void TMainForm::MoveKeyFocusToGroup(bool forward) {
    const std::vector<LinkGroupView*> groups = GroupsInReadingOrder();
    if (groups.empty()) {
        return;
    }
    const auto at = std::find(groups.begin(), groups.end(), mFocusView);
    std::size_t next = 0;
    if (at == groups.end()) {
        next = forward ? 0 : groups.size() - 1;
    } else {
        const std::size_t current = static_cast<std::size_t>(at - groups.begin());
        next = forward ? (current + 1) % groups.size() : (current + groups.size() - 1) % groups.size();
    }
    SetKeyFocus(groups[next], 0);
}

void TMainForm::MoveKeyFocus(CellNavigation::Direction direction) {
    if (mFocusView == nullptr) {
        MoveKeyFocusToGroup(true);
        return;
    }
    // Among every shortcut of the panel, as the search moves among its matches.
    std::vector<GroupGeometry::Rect> cells;
    std::vector<std::pair<LinkGroupView*, int>> owners;
    int from = -1;
    for (LinkGroupView* view : GroupsInReadingOrder()) {
        for (int i = 0; i < view->GetCellCount(); ++i) {
            const RECT r = view->GetCellRect(i);
            if (view == mFocusView && i == mFocusIndex) {
                from = static_cast<int>(cells.size());
            }
            cells.push_back(GroupGeometry::Rect{r.left, r.top, r.right, r.bottom});
            owners.emplace_back(view, i);
        }
    }
    if (from < 0) {
        // On a group without shortcuts: the arrows start from its first neighbour's cells.
        if (!cells.empty()) {
            SetKeyFocus(owners.front().first, owners.front().second);
        }
        return;
    }
    const int next = CellNavigation::Next(cells, from, direction);
    SetKeyFocus(owners[static_cast<std::size_t>(next)].first, owners[static_cast<std::size_t>(next)].second);
}

void TMainForm::RunKeyFocus() {
    int index = -1;
    LinkGroupView* view = GetKeyFocus(index);
    if (view == nullptr || index < 0) {
        return;
    }
    LOG_USER_ACTION("TMainForm::RunKeyFocus");
    // As a click does: the panel may go, and the shortcut runs.
    RequestToHide.Raise(this, nullptr);
    view->RunAt(index);
}

bool TMainForm::OpenKeyFocusMenu() {
    int index = -1;
    LinkGroupView* view = GetKeyFocus(index);
    if (view == nullptr) {
        return false;
    }
    LOG_USER_ACTION("TMainForm::OpenKeyFocusMenu");
    HideLinkToolTip();
    // Below the middle of what has the focus, as the system places a menu opened by the keyboard.
    if (index >= 0) {
        const RECT cell = view->GetCellRect(index);
        LOG_INF("TMainForm::OpenKeyFocusMenu",
                L"Menu of " << view->GetModel()->GetLinks()[static_cast<std::size_t>(index)]->FileName());
        ShowLinkContextMenu(view, index, POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2});
    } else {
        const RECT body = view->GetBodyRect();
        LOG_INF("TMainForm::OpenKeyFocusMenu", L"Menu of group " << PlaceOf(view, -1).group + 1);
        ShowGroupContextMenu(view, POINT{(body.left + body.right) / 2, body.top + Scale().Px(BandHeight)});
    }
    return true;
}

bool TMainForm::PanelKey(UINT message, WPARAM key) {
    if (message == WM_SYSKEYDOWN || message == WM_SYSKEYUP) {
        // Shift+F10 opens the menu of what has the focus (the panel's own without one); F10 alone
        // has no menu bar to go to.
        if (key != VK_F10) {
            return false;
        }
        if (message == WM_SYSKEYDOWN && ShiftDown() && !OpenKeyFocusMenu()) {
            ShowPanelContextMenu(ScreenToClient(PointerPos()));
        }
        return true;
    }
    if (message == WM_KEYUP) {
        // The system would open the menu a second time when the menu key is let go.
        return key == VK_APPS;
    }
    switch (key) {
    case VK_TAB:
        MoveKeyFocusToGroup(!ShiftDown());
        return true;
    case VK_LEFT:
        MoveKeyFocus(CellNavigation::Direction::Left);
        return true;
    case VK_RIGHT:
        MoveKeyFocus(CellNavigation::Direction::Right);
        return true;
    case VK_UP:
        MoveKeyFocus(CellNavigation::Direction::Up);
        return true;
    case VK_DOWN:
        MoveKeyFocus(CellNavigation::Direction::Down);
        return true;
    case VK_HOME:
    case VK_END:
        if (mFocusView != nullptr) {
            SetKeyFocus(mFocusView, key == VK_HOME ? 0 : mFocusView->GetCellCount() - 1);
        }
        return true;
    case VK_RETURN:
        RunKeyFocus();
        return true;
    case VK_APPS:
        if (!OpenKeyFocusMenu()) {
            ShowPanelContextMenu(ScreenToClient(PointerPos()));
        }
        return true;
    case VK_ESCAPE:
        if (mFocusView != nullptr) {
            SetKeyFocus(nullptr, -1);
        } else if (OnHideRequested) {
            LOG_USER_ACTION("TMainForm::PanelKey");
            OnHideRequested();
        }
        return true;
    default:
        return false;
    }
}

// What screen readers read.

RECT TMainForm::ToScreen(RECT rect) const {
    const POINT topLeft = ClientToScreen(POINT{rect.left, rect.top});
    OffsetRect(&rect, topLeft.x - rect.left, topLeft.y - rect.top);
    return rect;
}

long TMainForm::ViewState(const RECT& rect) const {
    const RECT client = ClientRect();
    RECT seen{};
    if (Handle() == nullptr || !IsWindowVisible(Handle())) {
        return STATE_SYSTEM_INVISIBLE;
    }
    // A panel slid away keeps its window above the screen's top.
    const RECT screen = ToScreen(rect);
    const RECT desktop{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                       GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                       GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    if (!IntersectRect(&seen, &rect, &client) || !IntersectRect(&seen, &screen, &desktop)) {
        return STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
    }
    return 0;
}

PanelAccessSource::Element TMainForm::PanelElement() {
    Element element;
    element.name = LayoutText(L"Access_Panel", L"Shortcut groups");
    element.role = ROLE_SYSTEM_PANE;
    element.screen = ToScreen(ClientRect());
    element.state = STATE_SYSTEM_FOCUSABLE | ViewState(ClientRect());
    if (Handle() != nullptr && GetFocus() == Handle() && mFocusView == nullptr) {
        element.state |= STATE_SYSTEM_FOCUSED;
    }
    return element;
}

std::vector<const void*> TMainForm::GroupKeys() {
    std::vector<const void*> keys;
    for (const LinkGroupView* view : GroupsInReadingOrder()) {
        keys.push_back(view->GetModel());
    }
    return keys;
}

PanelAccessSource::Element TMainForm::GroupElement(int group) {
    Element element;
    const LinkGroupView* view = GroupAt(group);
    if (view == nullptr) {
        return element;
    }
    const std::size_t count = view->GetModel()->GetLinks().size();
    element.name = FillText(LayoutText(L"Access_Group", L"Group %1, %2"),
                            {std::to_wstring(group + 1), Count(count, L"MainWindow_Count_OneShortcut", L"1 shortcut",
                                                               L"MainWindow_Count_Shortcuts", L"%1 shortcuts")});
    element.role = ROLE_SYSTEM_LIST;
    const RECT body = view->GetBodyRect();
    element.screen = ToScreen(body);
    element.state = STATE_SYSTEM_FOCUSABLE | ViewState(body);
    if (view == mFocusView && mFocusIndex < 0 && GetFocus() == Handle()) {
        element.state |= STATE_SYSTEM_FOCUSED;
    }
    return element;
}

int TMainForm::ShortcutCount(int group) {
    const LinkGroupView* view = GroupAt(group);
    return view != nullptr ? std::min(view->GetCellCount(), static_cast<int>(view->GetModel()->GetLinks().size())) : 0;
}

PanelAccessSource::Element TMainForm::ShortcutElement(int group, int link) {
    Element element;
    const LinkGroupView* view = GroupAt(group);
    if (view == nullptr || link < 0 || link >= ShortcutCount(group)) {
        return element;
    }
    const LinkItemModel& item = *view->GetModel()->GetLinks()[static_cast<std::size_t>(link)];
    element.name = item.ShownName();
    element.role = ROLE_SYSTEM_LISTITEM;
    element.defaultAction = LayoutText(L"Access_Open", L"Open");
    const RECT cell = view->GetCellRect(link);
    element.screen = ToScreen(cell);
    element.state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE | ViewState(cell);
    if (view == mFocusView && link == mFocusIndex) {
        element.state |= STATE_SYSTEM_SELECTED;
        if (GetFocus() == Handle()) {
            element.state |= STATE_SYSTEM_FOCUSED;
        }
    }
    return element;
}

int TMainForm::ControlCount() {
    return BandControls;
}

PanelAccessSource::Element TMainForm::ControlElement(int control) {
    Element element;
    const TGraphicControl* shown = nullptr;
    switch (control) {
    case AddButton:
        shown = &mBtnAdd;
        element.name = LayoutText(L"MainWindow_Btn_AddNewGroup", L"Add a new group");
        element.role = ROLE_SYSTEM_PUSHBUTTON;
        break;
    case PinButton:
        shown = &mBtnStick;
        element.name = LayoutText(L"MainWindow_Btn_EnableOrDisableAutoHide", L"Enable/disable auto hide");
        element.role = ROLE_SYSTEM_CHECKBUTTON;
        element.state = mBtnStick.Down() ? STATE_SYSTEM_CHECKED : 0;
        break;
    case ProductLabel:
        shown = &mLbProductName;
        element.name = mLbProductName.Caption();
        element.role = ROLE_SYSTEM_LINK;
        break;
    case SiteLabel:
        shown = &mLbBottomLeft;
        element.name = mLbBottomLeft.Caption();
        element.role = ROLE_SYSTEM_LINK;
        break;
    default:
        return element;
    }
    element.defaultAction = LayoutText(L"Access_Press", L"Press");
    const RECT bounds{shown->Left(), shown->Top(), shown->Left() + shown->Width(), shown->Top() + shown->Height()};
    element.screen = ToScreen(bounds);
    element.state |= STATE_SYSTEM_FOCUSABLE | (shown->Visible() ? ViewState(bounds) : STATE_SYSTEM_INVISIBLE);
    return element;
}

PanelAccessSource::Place TMainForm::FocusPlace() {
    int index = -1;
    const LinkGroupView* view = GetKeyFocus(index);
    return PlaceOf(view, index);
}

PanelAccessSource::Place TMainForm::PlaceAt(POINT screen) {
    Place place;
    if (Handle() == nullptr) {
        return place;
    }
    const POINT point = ScreenToClient(screen);
    for (int control = 0; control < BandControls; ++control) {
        const Element element = ControlElement(control);
        if ((element.state & STATE_SYSTEM_INVISIBLE) == 0 && PtInRect(&element.screen, screen)) {
            place.control = control;
            return place;
        }
    }
    const std::vector<LinkGroupView*> groups = GroupsInReadingOrder();
    // The card drawn last is on top.
    for (auto view = mGroupViews.rbegin(); view != mGroupViews.rend(); ++view) {
        const RECT body = (*view)->GetBodyRect();
        if (!PtInRect(&body, point)) {
            continue;
        }
        int side = 0;
        const int link = (*view)->GetLinkIndexByPos(point, side);
        place.group = static_cast<int>(std::find(groups.begin(), groups.end(), view->get()) - groups.begin());
        place.link = link >= 0 && link < (*view)->GetCellCount() ? link : -1;
        return place;
    }
    return place;
}

bool TMainForm::DoDefaultAction(const Place& place) {
    const LinkGroupView* view = place.group >= 0 ? GroupAt(place.group) : nullptr;
    if (place.control < 0 && (view == nullptr || place.link < 0)) {
        return false;
    }
    // Run once the reader's call has returned: a program started or a dialog shown inside it
    // would keep the reader waiting.
    mPendingAction = place;
    mPendingGroup = view != nullptr ? view->GetModel() : nullptr;
    PostMessageW(Handle(), AccessActionMessage, 0, 0);
    return true;
}

void TMainForm::RunPendingAccessAction() {
    const Place place = mPendingAction;
    mPendingAction = Place{};
    if (place.control >= 0) {
        LOG_USER_ACTION("TMainForm::AccessAction");
        switch (place.control) {
        case AddButton:
            mBtnAdd.PerformClick();
            break;
        case PinButton:
            mBtnStick.PerformClick();
            break;
        case ProductLabel:
            mLbProductName.PerformClick();
            break;
        case SiteLabel:
            mLbBottomLeft.PerformClick();
            break;
        default:
            break;
        }
        return;
    }
    // The group may have moved in the order or gone since.
    for (const auto& view : mGroupViews) {
        if (view->GetModel() == mPendingGroup && place.link >= 0 && place.link < view->GetCellCount()) {
            LOG_USER_ACTION("TMainForm::AccessAction");
            RequestToHide.Raise(this, nullptr);
            view->RunAt(place.link);
            return;
        }
    }
}

bool TMainForm::Select(const Place& place) {
    LinkGroupView* view = GroupAt(place.group);
    if (view == nullptr) {
        return false;
    }
    if (Handle() != nullptr && GetFocus() != Handle() && GetForegroundWindow() == Handle()) {
        ::SetFocus(Handle());
    }
    SetKeyFocus(view, place.link);
    return true;
}

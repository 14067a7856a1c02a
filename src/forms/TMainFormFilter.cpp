// The panel's keyboard search: a hotkey brings the panel down with the keyboard in a box on the
// band, typing dims the shortcuts that do not match and selects the best match, arrows move the
// selection among the matches across groups, Enter runs it as a click does, and Esc clears the
// box and then hides the panel.
#include "forms/TMainForm.h"

#include "culture/ICultureManager.h"
#include "foundation/logging/Log.h"
#include "foundation/win32/FunctionTrace.h"
#include "graphics/Canvas.h"
#include "settings/ConfigItems.h"

#include <algorithm>

namespace {

// The box on the band, in design pixels.
constexpr int FilterWidth = 300;
constexpr int FilterHeight = 22;
constexpr int FilterTop = 3;
constexpr int FilterFontHeight = 14;

} // namespace

void TMainForm::PlaceFilterBox() {
    const Tessel::Common::DisplayScale scale = Scale();
    LOGFONTW font = SystemMessageFont();
    font.lfHeight = -scale.Px(FilterFontHeight);
    font.lfWidth = 0;
    Tessel::Common::UniqueFont made(CreateFontIndirectW(&font));
    if (made) {
        mFilterEdit.SetFont(made.Get());
        mFilterFont = std::move(made);
    }
    const int width = scale.Px(FilterWidth);
    mFilterEdit.SetBounds((ClientWidth() - width) / 2, scale.Px(FilterTop), width, scale.Px(FilterHeight));
}

std::size_t TMainForm::FilterSignature() const {
    std::size_t signature = mGroupViews.size();
    for (const auto& view : mGroupViews) {
        signature = signature * 31 + view->GetModel()->GetLinks().size();
    }
    return signature;
}

void TMainForm::RefreshFilter() {
    if (mFiltering) {
        BuildFilterCandidates();
        FilterChanged();
    }
}

void TMainForm::ApplyHotkey() {
    if (mConfigItems == nullptr || Handle() == nullptr) {
        return;
    }
    const int keys = mConfigItems->Hotkey.value;
    if (keys == mHotkey.Keys() && (mHotkey.Held() || keys == 0)) {
        return;
    }
    if (mHotkey.Set(Handle(), keys)) {
        mHotkeyRefusalLogged = false;
        if (keys != 0) {
            LOG_INF("TMainForm::ApplyHotkey", L"Hotkey: " << HotkeyKeys::Describe(keys));
        }
    } else if (!mHotkeyRefusalLogged) {
        mHotkeyRefusalLogged = true;
        LOG_ERR("TMainForm::ApplyHotkey", L"The hotkey " << HotkeyKeys::Describe(keys)
                                                         << L" is held by another program; the panel has no hotkey");
    }
}

void TMainForm::BuildFilterCandidates() {
    mFilterTexts.clear();
    mFilterCells.clear();
    // Panel order: the groups as stored (the one dragged last is last), each in its order.
    for (const auto& group : mOrvexModel.GetGroups()) {
        const auto view = std::find_if(mGroupViews.begin(), mGroupViews.end(),
                                       [&](const auto& v) { return v->GetModel() == group.get(); });
        if (view == mGroupViews.end()) {
            continue;
        }
        const auto& links = group->GetLinks();
        for (std::size_t i = 0; i < links.size(); ++i) {
            const LinkItemModel& link = *links[i];
            mFilterTexts.push_back(link.ShownName());
            mFilterTexts.push_back(link.FileStem());
            mFilterCells.push_back(FilterCell{view->get(), static_cast<int>(i)});
        }
    }
    std::vector<Tessel::Common::ShortcutMatcher::Candidate> candidates;
    candidates.reserve(mFilterCells.size());
    for (std::size_t i = 0; i < mFilterCells.size(); ++i) {
        candidates.push_back({mFilterTexts[2 * i], mFilterTexts[2 * i + 1]});
    }
    mMatcher = Tessel::Common::ShortcutMatcher(candidates);
    mFilterSignature = FilterSignature();
}

void TMainForm::BeginFilter(bool byHotkey) {
    TRACE_FUNCTION("TMainForm::BeginFilter");
    mShownByHotkey = byHotkey || (mFiltering && mShownByHotkey);
    if (!mFiltering) {
        mFiltering = true;
        BuildFilterCandidates();
        mFilterEdit.SetVisible(true);
        LOG_INF("TMainForm::BeginFilter",
                L"Filter box shown" << (byHotkey ? L" by the hotkey" : L"") << L", " << mFilterCells.size()
                                    << L" shortcuts");
    }
    if (byHotkey) {
        SetForegroundWindow(Handle());
    }
    mFilterEdit.SetFocus();
}

void TMainForm::EndFilter() {
    if (!mFiltering) {
        return;
    }
    TRACE_FUNCTION("TMainForm::EndFilter");
    mFiltering = false;
    mShownByHotkey = false;
    mFilterEdit.SetText(L"");
    mFilterEdit.SetVisible(false);
    mFilterMatches.clear();
    mFilterSelected = -1;
    mFocusView = nullptr;
    mFocusIndex = -1;
    for (const auto& view : mGroupViews) {
        view->SetMarks(Handle(), {}, -1);
        view->SetGroupFocused(Handle(), false);
    }
    mFilterCells.clear();
    mFilterTexts.clear();
    mMatcher = Tessel::Common::ShortcutMatcher();
    if (Handle() != nullptr && GetFocus() == mFilterEdit.Handle()) {
        ::SetFocus(Handle());
    }
}

bool TMainForm::FilterHoldsKeyboard() const {
    return mFiltering && mShownByHotkey && mFilterEdit.Handle() != nullptr && GetFocus() == mFilterEdit.Handle();
}

LinkGroupView* TMainForm::GetFilterSelection(int& index) const {
    if (mFilterSelected < 0 || static_cast<std::size_t>(mFilterSelected) >= mFilterMatches.size()) {
        return nullptr;
    }
    const FilterCell& cell = mFilterCells[mFilterMatches[static_cast<std::size_t>(mFilterSelected)]];
    if (cell.index < 0 || static_cast<std::size_t>(cell.index) >= cell.view->GetModel()->GetLinks().size()) {
        return nullptr;
    }
    index = cell.index;
    return cell.view;
}

void TMainForm::FilterChanged() {
    if (!mFiltering) {
        return;
    }
    const std::wstring query = mFilterEdit.Text();
    // Shortcuts added or removed since the search was prepared: it is prepared anew.
    if (mFilterSignature != FilterSignature()) {
        BuildFilterCandidates();
    }
    mFilterMatches.clear();
    mFilterSelected = -1;
    if (query.find_first_not_of(L' ') != std::wstring::npos) {
        for (const Tessel::Common::ShortcutMatch& match : mMatcher.Match(query)) {
            mFilterMatches.push_back(match.index);
        }
        mFilterSelected = mFilterMatches.empty() ? -1 : 0;
    }
    SelectFilterMatch();
    LOG_INF("TMainForm::FilterChanged", L"Filter \"" << query << L"\": " << mFilterMatches.size() << L" matches");
}

void TMainForm::ApplyFilterMarks() {
    const bool active = mFiltering && mFilterEdit.Text().find_first_not_of(L' ') != std::wstring::npos;
    std::unordered_map<LinkGroupView*, std::vector<LinkGroupView::Mark>> marks;
    if (active) {
        for (const auto& view : mGroupViews) {
            marks[view.get()].assign(view->GetModel()->GetLinks().size(), LinkGroupView::Mark::Dimmed);
        }
        for (const std::uint32_t match : mFilterMatches) {
            const FilterCell& cell = mFilterCells[match];
            auto& viewMarks = marks[cell.view];
            if (cell.index >= 0 && static_cast<std::size_t>(cell.index) < viewMarks.size()) {
                viewMarks[static_cast<std::size_t>(cell.index)] = LinkGroupView::Mark::Matched;
            }
        }
    }
    int selectedIndex = -1;
    const LinkGroupView* selectedView = GetKeyFocus(selectedIndex);
    for (const auto& view : mGroupViews) {
        auto found = marks.find(view.get());
        view->SetMarks(Handle(), found != marks.end() ? std::move(found->second) : std::vector<LinkGroupView::Mark>{},
                       view.get() == selectedView ? selectedIndex : -1);
    }
}

bool TMainForm::FilterKey(WORD key) {
    switch (key) {
    case VK_ESCAPE:
        if (mFilterEdit.Text().empty()) {
            LOG_USER_ACTION("TMainForm::FilterKey");
            if (OnHideRequested) {
                OnHideRequested();
            }
        } else {
            mFilterEdit.SetText(L"");
        }
        return true;
    case VK_RETURN:
        RunFilterSelection();
        return true;
    case VK_TAB:
        LeaveFilterBox();
        return true;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        if (mFilterSelected < 0) {
            // Without a selection the arrows move the caret in the box.
            return false;
        }
        SelectInDirection(key == VK_LEFT    ? CellNavigation::Direction::Left
                          : key == VK_RIGHT ? CellNavigation::Direction::Right
                          : key == VK_UP    ? CellNavigation::Direction::Up
                                            : CellNavigation::Direction::Down);
        return true;
    default:
        return false;
    }
}

void TMainForm::SelectInDirection(CellNavigation::Direction direction) {
    std::vector<GroupGeometry::Rect> cells;
    cells.reserve(mFilterMatches.size());
    for (const std::uint32_t match : mFilterMatches) {
        const FilterCell& cell = mFilterCells[match];
        if (cell.index < 0 || cell.index >= cell.view->GetCellCount()) {
            return;
        }
        const RECT r = cell.view->GetCellRect(cell.index);
        cells.push_back(GroupGeometry::Rect{r.left, r.top, r.right, r.bottom});
    }
    const int next = CellNavigation::Next(cells, mFilterSelected, direction);
    if (next != mFilterSelected) {
        mFilterSelected = next;
        int index = -1;
        if (const LinkGroupView* view = GetFilterSelection(index)) {
            LOG_INF("TMainForm::SelectInDirection",
                    L"Selected " << view->GetModel()->GetLinks()[static_cast<std::size_t>(index)]->FileName());
        }
        SelectFilterMatch();
    }
}

void TMainForm::RunFilterSelection() {
    TRACE_FUNCTION("TMainForm::RunFilterSelection");
    LOG_USER_ACTION("TMainForm::RunFilterSelection");
    int index = -1;
    LinkGroupView* view = GetFilterSelection(index);
    if (view == nullptr) {
        return;
    }
    // As a click does: the panel may go, and the shortcut runs.
    RequestToHide.Raise(this, nullptr);
    view->RunAt(index);
}

void TMainForm::SelectFilterMatch() {
    int index = -1;
    LinkGroupView* view = GetFilterSelection(index);
    if (view != nullptr) {
        SetKeyFocus(view, index);
    } else {
        if (mFocusView != nullptr) {
            mFocusView->SetGroupFocused(Handle(), false);
        }
        mFocusView = nullptr;
        mFocusIndex = -1;
        ApplyFilterMarks();
    }
}

void TMainForm::LeaveFilterBox() {
    // Tab takes the keyboard from the box onto the panel, at the selected match when there is one.
    int index = -1;
    LinkGroupView* view = GetFilterSelection(index);
    EndFilter();
    ::SetFocus(Handle());
    if (view != nullptr) {
        SetKeyFocus(view, index);
    } else {
        MoveKeyFocusToGroup(true);
    }
}

// The first-run offer: on an empty panel, a link under the hint fills the panel with a group of
// the Desktop's shortcuts and one of the Start menu's programs.
#include "forms/FirstRunFiller.h"
#include "forms/TMainForm.h"

#include "foundation/logging/Log.h"
#include "foundation/win32/FunctionTrace.h"

namespace {

// From the middle of the hint line to the top of the offer below it (design pixels).
constexpr int FirstRunOfferBelowHint = 24;

// The hourglass while the UI thread works; the pointer's shape before it afterwards.
class WaitCursor {
public:
    WaitCursor() : mPrevious(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(mPrevious != nullptr ? mPrevious : LoadCursorW(nullptr, IDC_ARROW)); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR mPrevious;
};

} // namespace

void TMainForm::UpdateFirstRunOffer() {
    // A store that could not be read still holds the user's groups: the panel only looks empty.
    // Without a Data folder there is nowhere to put the copies.
    const bool noGroups = mOrvexModel.GetGroups().empty();
    const bool offer = noGroups && mOrvexModel.LoadProblem().empty() && !mOrvexModel.GetDataFolder().empty();
    if (mFirstRunOfferDecided && offer == mLbFirstRunFill.Visible()) {
        return;
    }
    mFirstRunOfferDecided = true;
    mLbFirstRunFill.SetVisible(offer);
    if (offer) {
        LOG_INF("TMainForm::UpdateFirstRunOffer", L"First-run offer shown");
    } else if (noGroups) {
        LOG_INF("TMainForm::UpdateFirstRunOffer", L"First-run offer hidden: the group store could not be read");
    } else {
        LOG_INF("TMainForm::UpdateFirstRunOffer",
                L"First-run offer hidden: groups on the panel: " << mOrvexModel.GetGroups().size());
    }
}

void TMainForm::PlaceFirstRunOffer() {
    const Tessel::Common::DisplayScale scale = Scale();
    // Centred under the hint, whose line stands HintRise above the middle of the panel.
    const int top = ClientHeight() / 2 - scale.Px(OrvexView::HintRise) + scale.Px(FirstRunOfferBelowHint);
    mLbFirstRunFill.SetBounds((ClientWidth() - mLbFirstRunFill.Width()) / 2, top, mLbFirstRunFill.Width(),
                              mLbFirstRunFill.Height());
}

void TMainForm::mLbFirstRunFillClick() {
    TRACE_FUNCTION("TMainForm::mLbFirstRunFillClick");
    LOG_USER_ACTION("TMainForm::mLbFirstRunFillClick");
    FirstRunFill::Outcome outcome;
    {
        // Bounded (at most 200 shortcuts a group, no look-up that searches), but the folders are
        // read and the copies written here, on the UI thread.
        const WaitCursor wait;
        outcome = FirstRunFiller::FillFromDesktopAndStartMenu(mOrvexModel, GroupArea());
    }
    if (outcome.groups.empty()) {
        LOG_INF("TMainForm::mLbFirstRunFillClick",
                L"Nothing on the Desktop or in the Start menu to fill the panel with; it stays as it was");
        return;
    }
    // The copies are in the Data folder already: the store names them at once.
    ShowAddedGroups(outcome.groups);
}

void TMainForm::ShowAddedGroups(const std::vector<LinkGroupModel*>& groups) {
    std::vector<LinkItemModel*> links;
    for (LinkGroupModel* group : groups) {
        mRootView.AddChild(CreateGroupView(group));
        for (const auto& link : group->GetLinks()) {
            links.push_back(link.get());
        }
    }
    mRootView.UpdateLayout();
    Invalidate();
    UpdateFirstRunOffer();
    RequestLooks(links);
    SaveChangesNow();
}

#include "forms/TEdgeForm.h"

#include "culture/CultureResources.h"
#include "culture/UserLocale.h"
#include "forms/TMainForm.h"
#include "forms/WindowPlacement.h"
#include "foundation/lang/Exception.h"
#include "foundation/logging/Log.h"
#include "foundation/win32/DataFolder.h"
#include "foundation/win32/FunctionTrace.h"
#include "foundation/win32/OsVersion.h"
#include "foundation/win32/TodayDayNumber.h"
#include "foundation/win32/UniqueHandle.h"
#include "framework/Application.h"
#include "framework/ShowMessage.h"
#include "os/ChooseOsSpecific.h"
#include "weblinks/AdLinkResources.h"
#include "weblinks/AdLinks.h"
#include "weblinks/AutoStart.h"
#include "weblinks/WebPages.h"

#include <cstdlib>
#include <vector>

using Tessel::CppLang::delegate2;

namespace {

// The second number stored with the button's position; it is never read back.
constexpr int StoredButtonY = 500;
// A press and release closer than this toggle the panel; a move farther than this drags the button
// (design pixels).
constexpr int ClickSlop = 2;
constexpr int DragThreshold = 4;
// The roundness of the button's corners and its grip: two bars, each this wide and this far
// apart, above the lower edge.
constexpr int CornerEllipse = 3;
constexpr int GripHalfWidth = 9;
constexpr int GripBarPitch = 3;
constexpr int GripBottom = 6;
// The button's colours: a warm yellow, a little deeper at the edge that shows.
constexpr COLORREF ButtonTop = RGB(255, 240, 90);
constexpr COLORREF ButtonBottom = RGB(255, 204, 0);
constexpr COLORREF ButtonEdge = RGB(196, 150, 0);
constexpr COLORREF ButtonGrip = RGB(150, 112, 0);

POINT CursorPos() {
    POINT p{0, 0};
    GetCursorPos(&p);
    return p;
}

GroupGeometry::Rect FromRECT(const RECT& r) {
    return GroupGeometry::Rect{r.left, r.top, r.right, r.bottom};
}

// The monitors' whole areas or work areas, the primary first.
std::vector<GroupGeometry::Rect> MonitorAreas(bool workAreas) {
    std::vector<GroupGeometry::Rect> areas;
    struct Collect {
        std::vector<GroupGeometry::Rect>* areas;
        bool workAreas;
    } collect{&areas, workAreas};
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            auto* c = reinterpret_cast<Collect*>(data);
            MONITORINFO info{};
            info.cbSize = sizeof(info);
            if (GetMonitorInfoW(monitor, &info)) {
                const GroupGeometry::Rect area = FromRECT(c->workAreas ? info.rcWork : info.rcMonitor);
                if (info.dwFlags & MONITORINFOF_PRIMARY) {
                    c->areas->insert(c->areas->begin(), area);
                } else {
                    c->areas->push_back(area);
                }
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&collect));
    return areas;
}

} // namespace

TEdgeForm::TEdgeForm()
    : mCultureManager(ReadUserLocale()), mUpdateCheck([] { return Tessel::Common::TodayDayNumber(); },
                                                      [this] { return mUserSettings.GetFirstRunDate(); }) {
    TRACE_FUNCTION("TEdgeForm::TEdgeForm");
    SetColor(RGB(255, 255, 0));
    SetAlphaBlend(true);
    SetAlphaBlendValue(TranslucentAlpha);
    mOsSpecific = ChooseOsSpecific(Tessel::Common::GetOsVersion(), mWinXPSpecific, mVistaOrLaterSpecific);
    LOG_INF("TEdgeForm::TEdgeForm", L"User Culture: " << mCultureManager.GetCulture());
    LoadCultureTexts(mCultureManager, L"CultureText");

    mDataFolder = Tessel::Common::GetDataFolderPath();
    if (!Tessel::Common::PathExists(mDataFolder)) {
        Tessel::Common::ForceDirectories(mDataFolder);
    }
    mUserSettings.SetDataFolder(mDataFolder);
    mUserSettings.SetConfigItems(&mConfigItems.GetItems());
    mUserSettings.Load();

    // The application's deactivation event fires whenever another program becomes active.
    if (Application != nullptr) {
        Application->HookMainWindow([](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
            if (message != WM_ACTIVATEAPP) {
                return false;
            }
            PostMessageW(Application->Handle(), wParam != 0 ? WM_APPLICATION_ACTIVATE : WM_APPLICATION_DEACTIVATE, 0,
                         0);
            result = 0;
            return true;
        });
        Application->OnDeactivate = [this] { ApplicationEvents1Deactivate(); };
    }
    std::wstring adSource;
    mAdItems = LoadAdItemsFromResources(mCultureManager, nullptr, &adSource);
    LOG_INF("TEdgeForm::TEdgeForm",
            L"Advertised links: " << mAdItems.size() << (adSource.empty() ? L"" : L" from " + adSource));
    mSlideAnimationTimer.OnTimer = [this] { mSlideAnimationTimerTimer(); };
    mCheckWindowTopMostTimer.OnTimer = [this] { mCheckWindowTopMostTimerTimer(); };
    mCheckUpdateTimer.OnTimer = [this] { mCheckUpdateTimerTimer(); };
}

TEdgeForm::~TEdgeForm() {
    TRACE_FUNCTION("~TEdgeForm::TEdgeForm");
    if (Application != nullptr) {
        Application->OnDeactivate = nullptr;
    }
    Tessel::Common::Logging::CloseLoggers("~TEdgeForm::TEdgeForm");
}

void TEdgeForm::CreateParams(TCreateParams& params) {
    TRACE_FUNCTION("TEdgeForm::CreateParams");
    params.windowClassName = L"TEdgeForm";
    params.caption = L"Zenpane";
    params.style = WS_POPUP | WS_CLIPCHILDREN;
    params.x = 0;
    params.y = -Scale().Px(ClientHeightDesign);
    params.width = Scale().Px(ClientWidthDesign);
    params.height = Scale().Px(ClientHeightDesign);
}

void TEdgeForm::FormCreate() {
    TRACE_FUNCTION("TEdgeForm::FormCreate");
    // A tool window: no taskbar button of its own.
    LONG_PTR exStyle = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
    exStyle &= ~static_cast<LONG_PTR>(WS_EX_APPWINDOW | WS_EX_TOOLWINDOW);
    SetWindowLongPtrW(Handle(), GWL_EXSTYLE, exStyle | WS_EX_TOOLWINDOW);
    mSlideAnimationTimer.SetEnabled(false);
    SetAlphaBlendValue(TranslucentAlpha);
    mDropTarget.OnDragEnter = [this] { ShellDragEnter(); };
}

void TEdgeForm::ShellDragEnter() {
    if (mMainPanel == nullptr) {
        return;
    }
    // Stay-on-top and back raises the panel above the window the drag came from.
    mMainPanel->SetFormStyle(TFormStyle::fsStayOnTop);
    mMainPanel->SetFormStyle(TFormStyle::fsNormal);
    if (mSlideAnimationManager.mState == SlideAnimationManager::Hidden && mSlideAnimationManager.mAutoHide) {
        mSlideAnimationTimer.SetEnabled(true);
    }
}

void TEdgeForm::PlaceButton(bool atStoredLeft) {
    int left = Left();
    if (atStoredLeft) {
        int y = 0;
        mUserSettings.GetStartButtonPos(left, y);
        left = WindowPlacement::UsableButtonLeft(left, Width(), MonitorAreas(false));
    }
    SetBounds(left, Scale().Px(VisibleHeight(mUserSettings)) - Height(), Width(), Height());
}

void TEdgeForm::ApplyScale() {
    const Tessel::Common::DisplayScale scale = Scale();
    mSlideAnimationManager.mScale = scale;
    SetBounds(Left(), Top(), scale.Px(ClientWidthDesign), scale.Px(ClientHeightDesign));
    const RECT client = ClientRect();
    // The system owns the region once the window has it.
    Tessel::Common::UniqueRegion region(CreateRoundRectRgn(client.left, client.top, client.right,
                                                           client.bottom, scale.Px(CornerEllipse),
                                                           scale.Px(CornerEllipse)));
    if (SetWindowRgn(Handle(), region.Get(), TRUE)) {
        region.Release();
    }
}

void TEdgeForm::FormDpiChanged() {
    TRACE_FUNCTION("TEdgeForm::FormDpiChanged");
    LOG_INF("TEdgeForm::FormDpiChanged", L"The button is on a screen of " << Dpi() << L" DPI now");
    ApplyScale();
    PlaceButton(false);
    Invalidate();
}

int TEdgeForm::VisibleHeight(IUserSettings& settings) {
    const int stored = settings.GetFloatingButtonVisibleHeight();
    const int usable = WindowPlacement::UsableButtonVisibleHeight(stored);
    if (usable != stored) {
        LOG_INF("TEdgeForm::VisibleHeight", L"The stored visible height of the button " << stored
                                                << L" is out of reach; the button hangs " << usable << L" px in");
    }
    return usable;
}

void TEdgeForm::PlacePanel() {
    int x = 0, y = 0, cx = 0, cy = 0;
    mUserSettings.GetMainFormPos(x, y);
    mUserSettings.GetMainFormSize(cx, cy);
    const GroupGeometry::Rect stored{x, y, static_cast<int>(static_cast<long long>(x) + cx),
                                     static_cast<int>(static_cast<long long>(y) + cy)};
    const GroupGeometry::Rect usable = WindowPlacement::UsablePanel(stored, MonitorAreas(true));
    if (!(usable == stored)) {
        LOG_INF("TEdgeForm::PlacePanel", L"The stored panel place " << x << L"," << y << L" " << cx << L"x" << cy
                                                                    << L" is not usable here; the panel goes to "
                                                                    << usable.left << L"," << usable.top << L" "
                                                                    << usable.Width() << L"x" << usable.Height());
    }
    SetWindowPos(mMainPanel->Handle(), nullptr, usable.left, usable.top, usable.Width(), usable.Height(),
                 SWP_FRAMECHANGED);
}

void TEdgeForm::FormShow() {
    TRACE_FUNCTION("TEdgeForm::FormShow");
    ShowButton();
    // Drops reach a window that can be seen.
    mDropTarget.Register(mDropTargetRegistration);
    if (mMainPanel != nullptr) {
        TMainForm& panel = *mMainPanel;
        panel.SetOsSpecific(mOsSpecific);
        PlacePanel();
        panel.SetDataFolder(mDataFolder);
        panel.SetUserSettings(&mUserSettings);
        panel.SetConfigItems(&mConfigItems);
        panel.RequestToHide += delegate2<TEdgeForm, TEdgeForm, void*, void*>(this, &TEdgeForm::OnSlaveRequestToHide);
        panel.OnStickChanged = [this](bool stick) { ChangeStick(stick); };
        panel.OnExitApplication = [this] { OnRequestExitApplication(); };
        panel.OnHotkey = [this] { HotkeyPressed(); };
        panel.OnHideRequested = [this] { HidePanel(); };
        panel.SetCultureManager(&mCultureManager);
        panel.SetAdItems(&mAdItems);
        // The hidden application window owns the panel, so the panel stays out of the taskbar's
        // way and follows the application's activation.
        SetWindowLongPtrW(panel.Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(Application->Handle()));
        // The start's first paint of the panel is drawn straight; the picture that later paints
        // copy from is made right after it.
        panel.SetKeepsPicture(false);
        panel.Show();
    }
    // The button ends the start active, as the window shown last.
    SetActiveWindow(Handle());
    mUserSettings.FloatingButtonVisibleHeightChanged += delegate2<TEdgeForm, TEdgeForm, IUserSettings*, void*>(
        this, &TEdgeForm::OnUserSettingsFloatingButtonVisibleHeight);
    mUserSettings.AutoStartEnabledChanged +=
        delegate2<TEdgeForm, TEdgeForm, IUserSettings*, void*>(this, &TEdgeForm::OnAutoStartEnabledChanged);
    UpdateRegistryForAutoStart(mUserSettings.GetIsAutoStartEnabled());
    SetFormStyle(TFormStyle::fsStayOnTop);
    if (mMainPanel != nullptr) {
        mPanelSlideWindow = std::make_unique<FormSlideWindow>(*mMainPanel);
        mSlideAnimationManager.mAnchor = &mButtonSlideWindow;
        mSlideAnimationManager.mPanel = mPanelSlideWindow.get();
        mSlideAnimationTimer.SetEnabled(true);
    }
    mCheckWindowTopMostTimer.SetEnabled(true);
}

void TEdgeForm::ShowButton() {
    if (mButtonShown) {
        return;
    }
    mButtonShown = true;
    ApplyScale();
    PlaceButton(true);
    ShowWindow(Handle(), SW_SHOWNA);
    UpdateWindow(Handle());
}

void TEdgeForm::FormPaint(HDC dc, const RECT& /*clip*/) {
    if (!mPaintedOnce) {
        mPaintedOnce = true;
        LOG_INF("TEdgeForm::FormPaint", L"First paint of the button done");
    }
    const RECT client = ClientRect();
    TRIVERTEX vertices[2] = {
        {client.left, client.top, static_cast<COLOR16>(GetRValue(ButtonTop) << 8),
         static_cast<COLOR16>(GetGValue(ButtonTop) << 8), static_cast<COLOR16>(GetBValue(ButtonTop) << 8), 0},
        {client.right, client.bottom, static_cast<COLOR16>(GetRValue(ButtonBottom) << 8),
         static_cast<COLOR16>(GetGValue(ButtonBottom) << 8), static_cast<COLOR16>(GetBValue(ButtonBottom) << 8), 0}};
    GRADIENT_RECT gradient{0, 1};
    GradientFill(dc, vertices, 2, &gradient, 1, GRADIENT_FILL_RECT_V);
    // A firm lower edge and a small grip in the part that hangs into the screen.
    Tessel::Common::UniqueBrush edge(CreateSolidBrush(ButtonEdge));
    const RECT bottom{client.left, client.bottom - Scale().Px(1), client.right, client.bottom};
    FillRect(dc, &bottom, edge.Get());
    Tessel::Common::UniqueBrush grip(CreateSolidBrush(ButtonGrip));
    const Tessel::Common::DisplayScale scale = Scale();
    const int middle = (client.left + client.right) / 2;
    const int half = scale.Px(GripHalfWidth);
    const int thickness = scale.Px(1);
    for (int line = 0; line < 2; ++line) {
        const int top = client.bottom - scale.Px(GripBottom + 1) + scale.Px(GripBarPitch * line);
        const RECT bar{middle - half, top, middle + half, top + thickness};
        FillRect(dc, &bar, grip.Get());
    }
}

void TEdgeForm::FormMouseEnter() {
    TRACE_FUNCTION("TEdgeForm::FormMouseEnter");
    LOG_TIMER_ACTION("TEdgeForm::FormMouseEnter");
    SetAlphaBlendValue(255);
}

void TEdgeForm::FormMouseLeave() {
    TRACE_FUNCTION("TEdgeForm::FormMouseLeave");
    LOG_TIMER_ACTION("TEdgeForm::FormMouseLeave");
    SetAlphaBlendValue(TranslucentAlpha);
}

void TEdgeForm::FormMouseDown(TMouseButton /*button*/, TShiftState /*shift*/, int /*x*/, int /*y*/) {
    TRACE_FUNCTION("TEdgeForm::FormMouseDown");
    LOG_USER_ACTION("TEdgeForm::FormMouseDown");
    mMouseDownPos = CursorPos();
}

void TEdgeForm::FormMouseMove(TShiftState /*shift*/, int /*x*/, int /*y*/) {
    if (GetKeyState(VK_LBUTTON) >= 0) {
        return;
    }
    const POINT p = CursorPos();
    if (mIsDragging) {
        SetLeft(Left() + p.x - mDragLastPos.x);
        mDragLastPos = p;
    } else if (const int threshold = Scale().Px(DragThreshold);
               std::abs(p.x - mDragLastPos.x) > threshold || std::abs(p.y - mDragLastPos.y) > threshold) {
        mDragLastPos = p;
        mIsDragging = true;
    }
}

void TEdgeForm::FormMouseUp(TMouseButton /*button*/, TShiftState /*shift*/, int /*x*/, int /*y*/) {
    TRACE_FUNCTION("TEdgeForm::FormMouseUp");
    LOG_USER_ACTION("TEdgeForm::FormMouseUp");
    mIsDragging = false;
}

void TEdgeForm::FormClick() {
    TRACE_FUNCTION("TEdgeForm::FormClick");
    LOG_USER_ACTION("TEdgeForm::FormClick");
    const POINT p = CursorPos();
    const int slop = Scale().Px(ClickSlop);
    if (std::abs(p.x - mMouseDownPos.x) > slop || std::abs(p.y - mMouseDownPos.y) > slop) {
        return;
    }
    // A move started this way ends at once on Windows when the button is already up, as it is
    // after a click; Wine would instead wait in its move loop for the next release and swallow it.
    if (GetKeyState(VK_LBUTTON) < 0) {
        SendMessageW(Handle(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
    }
    mSlideAnimationTimer.SetEnabled(true);
    if (mMainPanel != nullptr) {
        mMainPanel->BringToFront();
    }
}

void TEdgeForm::HotkeyPressed() {
    TRACE_FUNCTION("TEdgeForm::HotkeyPressed");
    if (mMainPanel == nullptr) {
        return;
    }
    if (mSlideAnimationManager.mState == SlideAnimationManager::Hidden) {
        // Down it comes, over the window the user is in, with the keyboard in its filter box.
        mMainPanel->SetFormStyle(TFormStyle::fsStayOnTop);
        mMainPanel->SetFormStyle(TFormStyle::fsNormal);
        mMainPanel->BeginFilter(true);
        mSlideAnimationTimer.SetEnabled(true);
    } else if (mSlideAnimationManager.mState == SlideAnimationManager::Shown) {
        HidePanel();
    } else {
        // The slide under way runs to its end; then the hotkey takes effect.
        mHotkeyPending = true;
    }
}

void TEdgeForm::HidePanel() {
    if (mSlideAnimationManager.mState == SlideAnimationManager::Shown) {
        mSlideAnimationTimer.SetEnabled(true);
    }
}

void TEdgeForm::ApplicationEvents1Deactivate() {
    TRACE_FUNCTION("TEdgeForm::ApplicationEvents1Deactivate");
    // A panel the hotkey brought stays while its filter box has the keyboard.
    if (mSlideAnimationManager.mState == SlideAnimationManager::Shown && mSlideAnimationManager.mAutoHide &&
        mMainPanel != nullptr && mMainPanel->Visible() && !mMainPanel->FilterHoldsKeyboard()) {
        mSlideAnimationTimer.SetEnabled(true);
    }
}

void TEdgeForm::mSlideAnimationTimerTimer() {
    TRACE_FUNCTION("TEdgeForm::mSlideAnimationTimerTimer");
    LOG_TIMER_ACTION("TEdgeForm::mSlideAnimationTimerTimer");
    if (mSlideAnimationManager.mState == SlideAnimationManager::Hidden && mMainPanel != nullptr) {
        // Sliding in: the panel copies its paints from its picture (made now, should the start not
        // have made it yet).
        mMainPanel->SetKeepsPicture(true);
    }
    const bool ended = mSlideAnimationManager.Step();
    if (mMainPanel != nullptr) {
        LOG_DBG("TEdgeForm::mSlideAnimationTimerTimer", L"Panel top " << mMainPanel->Top());
    }
    if (ended) {
        mSlideAnimationTimer.SetEnabled(false);
        // Out of view, the panel keeps no search: it comes back as it was. In view, the filter box
        // takes the keyboard again, which the panel lost while the slide had it disabled.
        if (mSlideAnimationManager.mState == SlideAnimationManager::Hidden && mMainPanel != nullptr) {
            mMainPanel->EndFilter();
            if (!mSlidOutOnce) {
                mSlidOutOnce = true;
                LOG_INF("TEdgeForm::mSlideAnimationTimerTimer", L"The panel is out of view for the first time");
            }
        } else if (mMainPanel != nullptr && mMainPanel->IsFiltering()) {
            mMainPanel->BeginFilter(false);
        }
        if (mSlideAnimationManager.mState == SlideAnimationManager::Hidden && !mAdItems.empty() &&
            mMainPanel != nullptr) {
            const std::size_t link = AdLinks::LinkOfTheDay(Tessel::Common::TodayDayNumber(), mAdItems.size());
            mMainPanel->ShowAdInLinkLabel(static_cast<int>(link));
        }
        if (mHotkeyPending) {
            mHotkeyPending = false;
            HotkeyPressed();
        }
    }
}

void TEdgeForm::mCheckWindowTopMostTimerTimer() {
    SetFormStyle(TFormStyle::fsNormal);
    SetFormStyle(TFormStyle::fsStayOnTop);
}

void TEdgeForm::mCheckUpdateTimerTimer() {
    // Once per run, the first minute from the eleventh on that finds the panel out of view.
    if (mUpdateCheck.MinuteTick(mSlideAnimationManager.mState == SlideAnimationManager::Hidden)) {
        mCheckUpdateTimer.SetEnabled(false);
        TryCheckUpdate();
    }
}

void TEdgeForm::TryCheckUpdate() {
    TRACE_FUNCTION("TEdgeForm::TryCheckUpdate");
    if (!mUpdateCheck.IsPromptDay()) {
        return;
    }
    LOG_INF("TEdgeForm::TryCheckUpdate", L"Monthly update prompt");
    ShowMessagePos(mCultureManager.GetText(L"App_DoYouWantToCheckUpdate"), 200, 100);
    OpenWebPage(UpdatePageUrl(Tessel::Common::FormatVersion(Tessel::Common::ReadProgramFileVersion())));
}

void TEdgeForm::UpdateRegistryForAutoStart(bool enabled) {
    TRACE_FUNCTION("TEdgeForm::UpdateRegistryForAutoStart");
    const std::wstring program = Tessel::Common::GetProgramFilePath();
    const AutoStartChange change = UpdateAutoStartValue(enabled, program);
    if (change == AutoStartChange::Failed) {
        LOG_ERR("TEdgeForm::UpdateRegistryForAutoStart",
                L"The auto-start value of " << program << L" " << Describe(change));
    } else if (change != AutoStartChange::Unchanged) {
        LOG_INF("TEdgeForm::UpdateRegistryForAutoStart", L"Auto-start value " << Describe(change) << L": " << program);
    }
}

void TEdgeForm::ChangeStick(bool stick) {
    mSlideAnimationManager.mAutoHide = !stick;
    LOG_INF("TEdgeForm::ChangeStick", (stick ? L"Auto-hide off" : L"Auto-hide on"));
}

void TEdgeForm::OnRequestExitApplication() {
    Close();
}

void TEdgeForm::OnSlaveRequestToHide(void* /*sender*/, void* /*data*/) {
    if (mSlideAnimationManager.mState == SlideAnimationManager::Shown && mSlideAnimationManager.mAutoHide) {
        mSlideAnimationTimer.SetEnabled(true);
    }
}

void TEdgeForm::OnUserSettingsFloatingButtonVisibleHeight(IUserSettings* settings, void* /*data*/) {
    SetTop(Scale().Px(VisibleHeight(*settings)) - Height());
}

void TEdgeForm::OnAutoStartEnabledChanged(IUserSettings* settings, void* /*data*/) {
    UpdateRegistryForAutoStart(settings->GetIsAutoStartEnabled());
}

void TEdgeForm::FormCloseQuery(bool& canClose) {
    TRACE_FUNCTION("TEdgeForm::FormCloseQuery");
    canClose = true;
    SaveBeforeEnding();
}

bool TEdgeForm::PreDispatch(UINT message, WPARAM wParam, LPARAM /*lParam*/, LRESULT& result) {
    // The user's session ends: the system ends the process after this message without closing
    // the windows, so what closing would store is stored now.
    if (message == WM_ENDSESSION && wParam != FALSE) {
        LOG_INF("TEdgeForm::PreDispatch", L"The session ends: saving");
        SaveBeforeEnding();
        result = 0;
        return true;
    }
    return false;
}

void TEdgeForm::SaveBeforeEnding() {
    // Changes made since the save timer's last tick would otherwise be lost.
    if (mMainPanel != nullptr) {
        mMainPanel->SaveChangesNow();
    }
    mUserSettings.SetStartButtonPos(Left(), StoredButtonY);
    if (mMainPanel != nullptr) {
        mUserSettings.SetMainFormPos(mMainPanel->Left(), mMainPanel->Top());
        mUserSettings.SetMainFormSize(mMainPanel->Width(), mMainPanel->Height());
    }
    // A settings file that cannot be written must not keep the user from quitting: the error
    // is shown, and the program still ends.
    try {
        mUserSettings.Save();
    } catch (const Exception& error) {
        LOG_ERR("TEdgeForm::FormCloseQuery", error.Message());
        Application->ShowException(error);
    }
}

void TEdgeForm::FormClose(TCloseAction& /*action*/) {
    TRACE_FUNCTION("TEdgeForm::FormClose");
}

void TEdgeForm::FormDestroy() {
    TRACE_FUNCTION("TEdgeForm::FormDestroy");
}

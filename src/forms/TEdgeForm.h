#pragma once

#include "culture/CultureManager.h"
#include "forms/PanelDropTarget.h"
#include "forms/SlideAnimationManager.h"
#include "framework/Form.h"
#include "os/IOsSpecific.h"
#include "os/VistaOrLaterSpecific.h"
#include "os/WinXPSpecific.h"
#include "settings/ConfigItems.h"
#include "settings/UserSettings.h"
#include "weblinks/AdItem.h"
#include "weblinks/UpdateCheck.h"

#include <functional>
#include <string>

class TMainForm;

// A form as the slide sees it: its top edge, height and input state.
class FormSlideWindow : public ISlideWindow {
public:
    explicit FormSlideWindow(TForm& form) : mForm(form) {}
    int Top() const override { return mForm.Top(); }
    int Height() const override { return mForm.Height(); }
    void SetTop(int top) override { mForm.SetTop(top); }
    void SetEnabled(bool enabled) override { mForm.SetEnabled(enabled); }

private:
    TForm& mForm;
};

// The small button that hangs from the top edge of the screen, and the application's controller:
// it is the main window (closing it ends the program, and its destruction closes the log), owns
// every application-wide service, lends them to the panel, and decides when the panel slides
// into view and out of it.
class TEdgeForm : public TForm {
public:
    // Client size of the button, in design pixels (96 DPI).
    static constexpr int ClientWidthDesign = 100;
    static constexpr int ClientHeightDesign = 77;
    static constexpr BYTE TranslucentAlpha = 180;

    TEdgeForm();
    ~TEdgeForm() override;

    // The panel this button shows and hides; set once, before the application runs.
    void SetMainPanel(TMainForm* panel) { mMainPanel = panel; }
    // Places, shows and paints the button, once; the start calls it before the panel is made, so
    // that the button is on the screen first. Showing the form does it otherwise.
    void ShowButton();

    // Turns auto-hide off while stick is true.
    void ChangeStick(bool stick);
    void OnRequestExitApplication();
    void OnSlaveRequestToHide(void* sender, void* data);
    void OnUserSettingsFloatingButtonVisibleHeight(IUserSettings* settings, void* data);
    void OnAutoStartEnabledChanged(IUserSettings* settings, void* data);

    // Writes or deletes the value under the user's Run key that starts this program at logon.
    void UpdateRegistryForAutoStart(bool enabled);
    // Shows the monthly update prompt and then the update page, on the days it is due.
    void TryCheckUpdate();

    const SlideAnimationManager& GetSlideAnimationManager() const { return mSlideAnimationManager; }
    const AdItems& GetAdItems() const { return mAdItems; }
    UserSettings& GetUserSettings() { return mUserSettings; }

protected:
    void CreateParams(TCreateParams& params) override;
    void FormCreate() override;
    void FormShow() override;
    void FormPaint(HDC dc, const RECT& clip) override;
    void FormMouseEnter() override;
    void FormMouseLeave() override;
    void FormMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void FormMouseMove(TShiftState shift, int x, int y) override;
    void FormMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void FormClick() override;
    void FormCloseQuery(bool& canClose) override;
    bool PreDispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void FormClose(TCloseAction& action) override;
    void FormDestroy() override;
    void FormDpiChanged() override;

private:
    // Sizes the button and its rounded shape, and the slide's steps, for the window's display scale.
    void ApplyScale();
    // Stores the groups' pending changes, the window places and the settings.
    void SaveBeforeEnding();
    // Hangs the button from the top edge of the screen: only the visible height (design pixels,
    // scaled) shows.
    void PlaceButton(bool atStoredLeft);
    // The stored visible height of the button, taken into reach (and logged when it was not).
    static int VisibleHeight(IUserSettings& settings);
    // Puts the panel where the settings say, made usable on the screens there are.
    void PlacePanel();
    void ApplicationEvents1Deactivate();
    void mSlideAnimationTimerTimer();
    void mCheckWindowTopMostTimerTimer();
    void mCheckUpdateTimerTimer();
    // The hotkey: the panel slides in with the keyboard in its filter box, or out.
    void HotkeyPressed();
    // Slides a panel in view out, auto-hide or not.
    void HidePanel();
    // A drag from the shell entered the button: the panel comes up to take the drop.
    void ShellDragEnter();

    TTimer mSlideAnimationTimer{*this, 10, false};
    TTimer mCheckWindowTopMostTimer{*this, 1000, false};
    TTimer mCheckUpdateTimer{*this, 60000, true};
    SlideAnimationManager mSlideAnimationManager;
    POINT mMouseDownPos{0, 0};
    POINT mDragLastPos{0, 0};
    bool mIsDragging = false;
    // The hotkey was pressed while the panel slid: it takes effect when the slide ends.
    bool mHotkeyPending = false;
    // The button has been painted; the panel has slid out of view since the start.
    bool mPaintedOnce = false;
    bool mButtonShown = false;
    bool mSlidOutOnce = false;
    std::wstring mDataFolder;
    ConfigItems mConfigItems;
    UserSettings mUserSettings;
    WinXPSpecific mWinXPSpecific;
    VistaOrLaterSpecific mVistaOrLaterSpecific;
    // The one of the two that fits the running Windows; null before Windows XP.
    IOsSpecific* mOsSpecific = nullptr;
    CultureManager mCultureManager;
    AdItems mAdItems;
    UpdateCheck mUpdateCheck;
    TMainForm* mMainPanel = nullptr;
    FormSlideWindow mButtonSlideWindow{*this};
    std::unique_ptr<FormSlideWindow> mPanelSlideWindow;
    // The button as a target of drags from the shell; registered in FormCreate, revoked with the window.
    EdgeDropTarget mDropTarget{*this, mOsSpecific};
    TDropTargetRegistration mDropTargetRegistration{*this};
};

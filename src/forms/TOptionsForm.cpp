#include "forms/TOptionsForm.h"

#include "culture/ICultureManager.h"
#include "forms/GlobalHotkey.h"
#include "forms/ScrambledText.h"
#include "foundation/version/FileVersion.h"
#include "foundation/win32/WindowsFileVersionInfoReader.h"
#include "graphics/Canvas.h"
#include "settings/IUserSettings.h"
#include "weblinks/WebAddresses.h"

#include <algorithm>
#include <string>

namespace {

// The design, in pixels for Tahoma 8 points at 96 dots per inch (see TDialogFont).
constexpr int DesignClientWidth = 464;
constexpr int DesignClientHeight = 398;
constexpr int AppNameCharacterHeight = 35;
constexpr int SupportCharacterHeight = 13;
// The least room between a label and the box right of it.
constexpr int LabelGap = 8;

std::wstring ProgramFilePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

TOptionsForm::TOptionsForm() {
    mTabSheetGeneral.SetText(L"General");
    mTabSheetAbout.SetText(L"About");
    mLbFloatingButton.SetText(L"Floating button ");
    Edit1.SetText(L"1");
    Edit1.SetRightAligned(true);
    Edit1.SetNumbersOnly(true);
    mUpDownFloatingButtonVisibleHeight.SetAssociate(&Edit1);
    mUpDownFloatingButtonVisibleHeight.SetRange(MinVisibleHeight, MaxVisibleHeight);
    mUpDownFloatingButtonVisibleHeight.SetPosition(1);
    mLabelStartButtonColor.SetText(L"Color");
    mPanelStartButtonColor.SetText(L"Change color ...");
    mPanelStartButtonColor.OnClick = [this] { mPanelStartButtonColorClick(); };
    mLbAppName.OnDblClick = [this] { mLbAppNameDblClick(); };
    mLbHotkey.SetText(L"Show the panel and search with");
    mLbHotkeyTaken.SetText(L"Another program uses these keys");
    mLbHotkeyTaken.SetVisible(false);
    mHotkeyBox.OnChange = [this] { CheckHotkey(); };
    mLbSupport.SetText(WebAddresses::SupportAddress);
    mBtnCopySupportEmail.SetText(L"Copy");
    mBtnCopySupportEmail.OnClick = [this] { mBtnCopySupportEmailClick(); };
    mBtnOk.SetText(L"&OK");
    mBtnOk.SetDefault(true);
    mBtnOk.ModalResult = TModalResult::mrOk;
    mBtnOk.OnClick = [this] { mBtnOkClick(); };
    mBtnCancel.SetText(L"&Cancel");
    mBtnCancel.SetCancel(true);
    mBtnCancel.ModalResult = TModalResult::mrCancel;
    mColorDialog.FullOpen = true;
    // Like any dialog with pages, it opens with the focus on the tabs.
    SetActiveControl(&PageControl1);
    LayOut();
}

TOptionsForm::~TOptionsForm() = default;

void TOptionsForm::CreateParams(TCreateParams& params) {
    params.windowClassName = L"TOptionsForm";
    params.caption = L"Options";
    params.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    params.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    params.x = 0;
    params.y = 0;
    params.width = DesignClientWidth;
    params.height = DesignClientHeight;
}

void TOptionsForm::FormCreate() {
    if (Dpi() != SystemDpi()) {
        mDialogFont = TDialogFont(Dpi());
        LayOut();
    }
    SetClientSize(mDialogFont.X(DesignClientWidth), mDialogFont.Y(DesignClientHeight));
}

void TOptionsForm::FormDpiChanged() {
    // The same design in the font of the new density; the window keeps the place the system
    // suggested and takes the size the design needs.
    mDialogFont = TDialogFont(Dpi());
    LayOut();
    KeepTextsClear();
    SetClientSize(mDialogFont.X(DesignClientWidth), mDialogFont.Y(DesignClientHeight));
}

void TOptionsForm::LayOut() {
    const TDialogFont& f = mDialogFont;
    if (f.Handle() != nullptr) {
        for (TWinControl* control : WinControls()) {
            control->SetFont(f.Handle());
        }
    }
    mAppNameFont = f.MakeFont(AppNameCharacterHeight);
    mSupportFont = f.MakeFont(SupportCharacterHeight);
    if (mAppNameFont) {
        mLbAppName.SetFont(mAppNameFont.Get());
    }
    if (mSupportFont) {
        mLbSupport.SetFont(mSupportFont.Get());
    }

    PageControl1.SetBounds(f.X(8), f.Y(8), f.X(450), f.Y(323));
    // Positions on a page are in the page's coordinates; labels take the size of their text.
    mLbFloatingButton.SetBounds(f.X(38), f.Y(24), 0, 0);
    // The arrows take their room from the right of the box they sit in.
    Edit1.SetBounds(f.X(208), f.Y(21), f.X(33 + 16), f.Y(21));
    mUpDownFloatingButtonVisibleHeight.SetBounds(f.X(241), f.Y(21), f.X(16), f.Y(21));
    mLabelStartButtonColor.SetBounds(f.X(38), f.Y(53), 0, 0);
    mPanelStartButtonColor.SetBounds(f.X(208), f.Y(48), f.X(96), f.Y(26));
    mChkAutoStart.SetBounds(f.X(38), f.Y(88), f.X(337), f.Y(17));
    mLbHotkey.SetBounds(f.X(38), f.Y(124), 0, 0);
    mHotkeyBox.SetBounds(f.X(208), f.Y(121), f.X(150), f.Y(21));
    mLbHotkeyTaken.SetBounds(f.X(208), f.Y(148), 0, 0);
    mLbAppName.SetBounds(f.X(32), f.Y(32), 0, 0);
    mLbAppVersion.SetBounds(f.X(32), f.Y(96), 0, 0);
    mLbCopyright.SetBounds(f.X(32), f.Y(128), 0, 0);
    mLbSupport.SetBounds(f.X(32), f.Y(160), 0, 0);
    mBtnCopySupportEmail.SetBounds(f.X(200), f.Y(157), f.X(73), f.Y(25));
    mBtnOk.SetBounds(f.X(241), f.Y(355), f.X(75), f.Y(25));
    mBtnCancel.SetBounds(f.X(353), f.Y(355), f.X(75), f.Y(25));
}

void TOptionsForm::FormShow() {
    Tessel::Common::FileVersion version;
    Tessel::Common::WindowsFileVersionInfoReader reader;
    reader.ReadVersion(ProgramFilePath(), version);
    mLbAppVersion.SetText(L"Version: " + Tessel::Common::FormatVersion(version));
    mLbAppName.SetText(L"Tilebay");
    if (mSettings != nullptr) {
        mUpDownFloatingButtonVisibleHeight.SetPosition(mSettings->GetFloatingButtonVisibleHeight());
        mChkAutoStart.SetChecked(mSettings->GetIsAutoStartEnabled());
    }
    if (mHotkey != nullptr) {
        mHotkeyBox.SetKeys(*mHotkey);
    }
    // The boxes are named by their labels for screen readers: a number box would otherwise be
    // read as its number, and the hotkey box as its keys.
    Edit1.SetAccessibleName(mLbFloatingButton.Text());
    mUpDownFloatingButtonVisibleHeight.SetAccessibleName(mLbFloatingButton.Text());
    mHotkeyBox.SetAccessibleName(mLbHotkey.Text());
    mPanelStartButtonColor.SetAccessibleName(mLabelStartButtonColor.Text() + L": " + mPanelStartButtonColor.Text());
    mHotkeyBox.SetEnabled(mHotkey != nullptr);
    CheckHotkey();
    PageControl1.SetActivePage(mShowAboutPage ? &mTabSheetAbout : &mTabSheetGeneral);
    mLbCopyright.SetText(ScrambledText::MakersNotice());
    ApplyCultureTexts();
    KeepTextsClear();
    CenterOnDesktop();
}

void TOptionsForm::KeepTextsClear() {
    const TDialogFont& f = mDialogFont;
    const auto moveRight = [](TWinControl& control, int left) {
        control.SetBounds(left, control.Top(), control.Width(), control.Height());
    };
    // The boxes right of the labels start where the design put them, or farther right when the
    // labels' texts in the user's language and font are wider than the design allowed for.
    const int column = std::max({f.X(208), mLbFloatingButton.Left() + mLbFloatingButton.Width() + f.X(LabelGap),
                                 mLabelStartButtonColor.Left() + mLabelStartButtonColor.Width() + f.X(LabelGap),
                                 mLbHotkey.Left() + mLbHotkey.Width() + f.X(LabelGap)});
    const int shift = column - Edit1.Left();
    if (shift != 0) {
        moveRight(Edit1, Edit1.Left() + shift);
        moveRight(mUpDownFloatingButtonVisibleHeight, mUpDownFloatingButtonVisibleHeight.Left() + shift);
        moveRight(mPanelStartButtonColor, column);
        moveRight(mHotkeyBox, column);
        moveRight(mLbHotkeyTaken, column);
    }
    moveRight(mBtnCopySupportEmail, std::max(f.X(200), mLbSupport.Left() + mLbSupport.Width() + f.X(LabelGap)));
}

void TOptionsForm::ApplyCultureTexts() {
    if (mTexts == nullptr) {
        return;
    }
    ICultureManager& t = *mTexts;
    SetCaption(t.GetText(L"Options_Form_Title"));
    mTabSheetGeneral.SetText(t.GetText(L"Options_Tab_General"));
    mLbFloatingButton.SetText(t.GetText(L"Options_Tab_General_LbFloatingButton"));
    mChkAutoStart.SetText(t.GetText(L"Options_Tab_General_ChkAutoStart"));
    mLabelStartButtonColor.SetText(t.GetText(L"Options_Tab_General_LabelStartButtonColor"));
    mPanelStartButtonColor.SetText(t.GetText(L"Options_Tab_General_PanelStartButtonColor"));
    mLbHotkey.SetText(t.GetText(L"Options_Tab_General_LbHotkey"));
    mLbHotkeyTaken.SetText(t.GetText(L"Options_Tab_General_HotkeyTaken"));
    mTabSheetAbout.SetText(t.GetText(L"Options_Tab_About"));
    mBtnOk.SetText(t.GetText(L"Common_Ok"));
    mBtnCancel.SetText(t.GetText(L"Common_Cancel"));
}

void TOptionsForm::mBtnOkClick() {
    if (mSettings == nullptr) {
        return;
    }
    // The up-down's position, never the box's text: it is a whole number from 1 to 500.
    mSettings->SetFloatingButtonVisibleHeight(mUpDownFloatingButtonVisibleHeight.Position());
    mSettings->SetIsAutoStartEnabled(mChkAutoStart.Checked());
    if (mHotkey != nullptr) {
        *mHotkey = mHotkeyBox.Keys();
    }
    // Raises the settings' events: the button moves to its new height at once. A file that
    // cannot be written is reported and the dialog stays open.
    mSettings->Save();
}

void TOptionsForm::CheckHotkey() {
    const int keys = mHotkeyBox.Keys();
    const bool taken = keys != 0 && keys != mHotkeyHeld && Handle() != nullptr &&
                       GlobalHotkey::TakenElsewhere(Handle(), keys);
    mLbHotkeyTaken.SetVisible(taken);
}

void TOptionsForm::mPanelStartButtonColorClick() {
    mColorDialog.Color = mPanelStartButtonColor.Color();
    if (mColorDialog.Execute(Handle())) {
        mPanelStartButtonColor.SetColor(mColorDialog.Color);
    }
}

void TOptionsForm::mBtnCopySupportEmailClick() {
    SetClipboardText(Handle(), WebAddresses::SupportAddress);
}

void TOptionsForm::mLbAppNameDblClick() {
    if (GetKeyState(VK_CONTROL) >= 0) {
        return;
    }
    const std::wstring message = ScrambledText::HiddenMessage();
    MessageBoxW(Handle(), message.c_str(), L"Tilebay", MB_OK | MB_ICONINFORMATION);
}

#pragma once

#include "foundation/win32/UniqueHandle.h"
#include "framework/DialogFont.h"
#include "framework/Dialogs.h"
#include "framework/Form.h"
#include "framework/StdCtrls.h"

class ICultureManager;
class IUserSettings;

// The Options dialog: its General page edits the visible height of the floating button, auto
// start at logon and the hotkey of the panel's search (saying when another program holds it), its About page shows the product, its version and the support address. OK
// stores both settings and saves the settings file, which makes the button apply them; Cancel,
// Esc or closing the window store nothing. One dialog is made for each showing.
class TOptionsForm : public TForm {
public:
    // The visible height the box takes.
    static constexpr int MinVisibleHeight = 1;
    static constexpr int MaxVisibleHeight = 500;

    TOptionsForm();
    ~TOptionsForm() override;

    // Set by the caller before showing; not owned.
    IUserSettings* mSettings = nullptr;
    ICultureManager* mTexts = nullptr;
    // Opens on the About page instead of the General page.
    bool mShowAboutPage = false;
    // The stored hotkey, which OK sets (not owned; null hides nothing but stores nothing), and
    // the keys the program holds now (0 when none), which are not another program's.
    int* mHotkey = nullptr;
    int mHotkeyHeld = 0;

    // Whether the dialog says that another program holds the keys in the hotkey box.
    bool HotkeyTakenShown() const { return mLbHotkeyTaken.Visible(); }

protected:
    void CreateParams(TCreateParams& params) override;
    void FormCreate() override;
    void FormDpiChanged() override;
    void FormShow() override;

private:
    // Fonts and places of the controls, scaled from the design to the system's dialog font.
    void LayOut();
    void ApplyCultureTexts();
    // Moves the boxes right of the labels so that no label text runs under them.
    void KeepTextsClear();
    void mBtnOkClick();
    void mPanelStartButtonColorClick();
    void mBtnCopySupportEmailClick();
    void mLbAppNameDblClick();
    // Shows or hides the note that another program holds the keys in the hotkey box.
    void CheckHotkey();

    TDialogFont mDialogFont;
    Tessel::Common::UniqueFont mAppNameFont;
    Tessel::Common::UniqueFont mSupportFont;

    // In the order the Tab key goes through them; the tabs come last (see TPageControl).
    TPageControl PageControl1{*this};
    TTabSheet mTabSheetGeneral{PageControl1};
    TStaticText mLbFloatingButton{*this, &mTabSheetGeneral};
    TEdit Edit1{*this, &mTabSheetGeneral};
    TUpDown mUpDownFloatingButtonVisibleHeight{*this, &mTabSheetGeneral};
    TStaticText mLabelStartButtonColor{*this, &mTabSheetGeneral};
    TColorPanel mPanelStartButtonColor{*this, &mTabSheetGeneral};
    TCheckBox mChkAutoStart{*this, &mTabSheetGeneral};
    TStaticText mLbHotkey{*this, &mTabSheetGeneral};
    THotKey mHotkeyBox{*this, &mTabSheetGeneral};
    TStaticText mLbHotkeyTaken{*this, &mTabSheetGeneral};
    TTabSheet mTabSheetAbout{PageControl1};
    TStaticText mLbAppName{*this, &mTabSheetAbout};
    TStaticText mLbAppVersion{*this, &mTabSheetAbout};
    TStaticText mLbCopyright{*this, &mTabSheetAbout};
    TStaticText mLbSupport{*this, &mTabSheetAbout};
    TButton mBtnCopySupportEmail{*this, &mTabSheetAbout};
    TButton mBtnOk{*this};
    TButton mBtnCancel{*this};
    TColorDialog mColorDialog;
};

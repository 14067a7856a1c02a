#pragma once

#include "foundation/win32/UniqueHandle.h"
#include "framework/DialogFont.h"
#include "framework/Dialogs.h"
#include "framework/Form.h"
#include "framework/StdCtrls.h"

class ICultureManager;
class IUserSettings;

// The Options dialog: its General page edits the visible height of the floating button and auto
// start at logon, its About page shows the product, its version and the support address. OK
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

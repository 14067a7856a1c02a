#include "forms/TEdgeForm.h"

#include "culture/CultureResources.h"
#include "culture/UserLocale.h"
#include "forms/TMainForm.h"
#include "foundation/lang/Exception.h"
#include "foundation/logging/Log.h"
#include "foundation/win32/DataFolder.h"
#include "foundation/win32/FunctionTrace.h"
#include "foundation/win32/OsVersion.h"
#include "framework/Application.h"
#include "os/ChooseOsSpecific.h"

namespace {
constexpr int ClientWidthDesign = 100;
constexpr int ClientHeightDesign = 77;
constexpr BYTE TranslucentAlpha = 180;
// The second number stored with the button's position; it is never read back.
constexpr int StoredButtonY = 500;
} // namespace

TEdgeForm::TEdgeForm() : mCultureManager(ReadUserLocale()) {
    TRACE_FUNCTION("TEdgeForm::TEdgeForm");
    SetColor(RGB(255, 255, 0));
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
}

TEdgeForm::~TEdgeForm() {
    TRACE_FUNCTION("~TEdgeForm::TEdgeForm");
    Tessel::Common::Logging::CloseLoggers("~TEdgeForm::TEdgeForm");
}

void TEdgeForm::CreateParams(TCreateParams& params) {
    TRACE_FUNCTION("TEdgeForm::CreateParams");
    params.windowClassName = L"TEdgeForm";
    params.caption = L"Zenpane";
    params.style = WS_POPUP | WS_CLIPCHILDREN;
    params.x = 0;
    params.y = -ClientHeightDesign;
    params.width = ClientWidthDesign;
    params.height = ClientHeightDesign;
}

void TEdgeForm::FormCreate() {
    TRACE_FUNCTION("TEdgeForm::FormCreate");
    // A tool window: no taskbar button of its own.
    LONG_PTR exStyle = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
    exStyle &= ~static_cast<LONG_PTR>(WS_EX_APPWINDOW | WS_EX_TOOLWINDOW);
    SetWindowLongPtrW(Handle(), GWL_EXSTYLE, exStyle | WS_EX_TOOLWINDOW);
    SetAlphaBlend(true);
    SetAlphaBlendValue(TranslucentAlpha);
}

void TEdgeForm::PlaceButton(bool atStoredLeft) {
    int left = Left();
    if (atStoredLeft) {
        int y = 0;
        mUserSettings.GetStartButtonPos(left, y);
    }
    SetBounds(left, mUserSettings.GetFloatingButtonVisibleHeight() - Height(), Width(), Height());
}

void TEdgeForm::FormShow() {
    TRACE_FUNCTION("TEdgeForm::FormShow");
    PlaceButton(true);
    if (TMainForm* panel = mMainPanel) {
        int x = 0, y = 0, cx = 0, cy = 0;
        mUserSettings.GetMainFormPos(x, y);
        mUserSettings.GetMainFormSize(cx, cy);
        SetWindowPos(panel->Handle(), nullptr, x, y, cx, cy, SWP_FRAMECHANGED);
        // The hidden application window owns the panel, so the panel stays out of the taskbar's
        // way and follows the application's activation.
        SetWindowLongPtrW(panel->Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(Application->Handle()));
        panel->Show();
    }
    SetFormStyle(TFormStyle::fsStayOnTop);
}

void TEdgeForm::FormCloseQuery(bool& canClose) {
    TRACE_FUNCTION("TEdgeForm::FormCloseQuery");
    canClose = true;
    mUserSettings.SetStartButtonPos(Left(), StoredButtonY);
    if (TMainForm* panel = mMainPanel) {
        mUserSettings.SetMainFormPos(panel->Left(), panel->Top());
        mUserSettings.SetMainFormSize(panel->Width(), panel->Height());
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

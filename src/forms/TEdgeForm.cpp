#include "forms/TEdgeForm.h"

#include "culture/CultureResources.h"
#include "culture/UserLocale.h"
#include "forms/TMainForm.h"
#include "foundation/common/OsVersion.h"
#include "foundation/logging/FunctionTrace.h"
#include "foundation/logging/Log.h"
#include "framework/Application.h"
#include "os/ChooseOsSpecific.h"

namespace {
constexpr int ClientWidthDesign = 100;
constexpr int ClientHeightDesign = 77;
constexpr BYTE TranslucentAlpha = 180;
// Where the button hangs until the user has placed it: its left edge, and how many pixels
// of it reach below the top edge of the screen.
constexpr int DefaultButtonLeft = 300;
constexpr int DefaultVisibleHeight = 10;
} // namespace

TEdgeForm::TEdgeForm() : mCultureManager(ReadUserLocale()) {
    TRACE_FUNCTION("TEdgeForm::TEdgeForm");
    SetColor(RGB(255, 255, 0));
    mOsSpecific = ChooseOsSpecific(Tessel::Common::GetOsVersion(), mWinXPSpecific, mVistaOrLaterSpecific);
    LOG_INF("TEdgeForm::TEdgeForm", L"User Culture: " << mCultureManager.GetCulture());
    LoadCultureTexts(mCultureManager, L"CultureText");
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
    params.x = DefaultButtonLeft;
    params.y = DefaultVisibleHeight - ClientHeightDesign;
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

void TEdgeForm::FormShow() {
    TRACE_FUNCTION("TEdgeForm::FormShow");
    if (TMainForm* panel = Application->FindForm<TMainForm>()) {
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
}

void TEdgeForm::FormClose(TCloseAction& /*action*/) {
    TRACE_FUNCTION("TEdgeForm::FormClose");
}

void TEdgeForm::FormDestroy() {
    TRACE_FUNCTION("TEdgeForm::FormDestroy");
}

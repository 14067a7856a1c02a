#include "forms/TMainForm.h"

#include "foundation/win32/FunctionTrace.h"

namespace {
// The panel's colour (sky blue) until the panel paints its own background.
constexpr COLORREF PanelColor = RGB(166, 202, 240);
} // namespace

TMainForm::TMainForm() {
    TRACE_FUNCTION("TMainForm::TMainForm");
    SetColor(PanelColor);
}

TMainForm::~TMainForm() {
    TRACE_FUNCTION("~TMainForm::TMainForm");
}

void TMainForm::CreateParams(TCreateParams& params) {
    TRACE_FUNCTION("TMainForm::CreateParams");
    params.windowClassName = L"TMainForm";
    params.caption = L"Tilebay";
    params.style = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN;
    // The edge window places and sizes the panel from the settings before showing it.
    params.x = 0;
    params.y = 0;
    params.width = 984;
    params.height = 562;
}

void TMainForm::FormCreate() {
    TRACE_FUNCTION("TMainForm::FormCreate");
    // No caption, but the sizing border stays.
    const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    SetWindowLongPtrW(Handle(), GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION));
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
}

void TMainForm::FormShow() {
    TRACE_FUNCTION("TMainForm::FormShow");
}

void TMainForm::FormDestroy() {
    TRACE_FUNCTION("TMainForm::FormDestroy");
}

#include "framework/ShowMessage.h"

#include "framework/Application.h"

#include <string_view>

namespace {

// The box is made and laid out inside MessageBoxW; a hook of this thread moves it once its dialog
// procedure has placed it (after WM_INITDIALOG) and before it shows.
struct PlaceRequest {
    HHOOK hook = nullptr;
    POINT at{0, 0};
    bool placed = false;
};
thread_local PlaceRequest* tPlaceRequest = nullptr;

LRESULT CALLBACK PlaceBoxHook(int code, WPARAM wParam, LPARAM lParam) {
    PlaceRequest* request = tPlaceRequest;
    if (request == nullptr) {
        return 0;
    }
    const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && !request->placed && message->message == WM_INITDIALOG) {
        wchar_t className[16] = {};
        GetClassNameW(message->hwnd, className, 16);
        if (std::wstring_view(className) == L"#32770") {
            request->placed = true;
            SetWindowPos(message->hwnd, nullptr, request->at.x, request->at.y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    return CallNextHookEx(request->hook, code, wParam, lParam);
}

} // namespace

void ShowMessagePos(const std::wstring& text, int x, int y) {
    PlaceRequest request;
    request.at = POINT{x, y};
    PlaceRequest* outer = tPlaceRequest;
    tPlaceRequest = &request;
    request.hook = SetWindowsHookExW(WH_CALLWNDPROCRET, PlaceBoxHook, nullptr, GetCurrentThreadId());
    const std::wstring title = Application != nullptr ? Application->Title : std::wstring(L"Tilebay");
    MessageBoxW(GetActiveWindow(), text.c_str(), title.c_str(), MB_OK | MB_TASKMODAL);
    if (request.hook != nullptr) {
        UnhookWindowsHookEx(request.hook);
    }
    tPlaceRequest = outer;
}

#include "framework/Dpi.h"

#include "graphics/Canvas.h"

namespace {

template <typename Function> Function Lookup(const wchar_t* library, const char* name) {
    const HMODULE module = GetModuleHandleW(library) != nullptr ? GetModuleHandleW(library) : LoadLibraryW(library);
    return module != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                             : nullptr;
}

} // namespace

int WindowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = Lookup<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
    if (window != nullptr && getDpiForWindow != nullptr) {
        if (const UINT dpi = getDpiForWindow(window); dpi > 0) {
            return static_cast<int>(dpi);
        }
    }
    return SystemDpi();
}

int DpiAtPoint(POINT screen) {
    // GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &x, &y), from Windows 8.1 on.
    using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpiForMonitor = Lookup<GetDpiForMonitorFunction>(L"shcore.dll", "GetDpiForMonitor");
    if (getDpiForMonitor != nullptr) {
        UINT x = 0;
        UINT y = 0;
        if (SUCCEEDED(getDpiForMonitor(MonitorFromPoint(screen, MONITOR_DEFAULTTONEAREST), 0, &x, &y)) && y > 0) {
            return static_cast<int>(y);
        }
    }
    return SystemDpi();
}

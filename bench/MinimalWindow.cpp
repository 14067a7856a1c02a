// The yardstick of start-up time: the least a Win32 program does to show a painted window. It
// opens one window, paints it, and prints the local time at which the first paint was done, in
// the form "yyyy-mm-dd hh:mm:ss.mmm", then closes; with --stay it stays open until it is closed
// (for its resident memory to be read).
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

bool gStay = false;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        EndPaint(window, &paint);
        static bool first = true;
        if (first) {
            first = false;
            SYSTEMTIME t;
            GetLocalTime(&t);
            std::printf("%04d-%02d-%02d %02d:%02d:%02d.%03d\n", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                        t.wSecond, t.wMilliseconds);
            std::fflush(stdout);
            if (!gStay) {
                PostMessageW(window, WM_CLOSE, 0, 0);
            }
        }
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int main(int argc, char** argv) {
    gStay = argc > 1 && std::strcmp(argv[1], "--stay") == 0;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MinimalWindow";
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(0, L"MinimalWindow", L"Minimal", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                        800, 600, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

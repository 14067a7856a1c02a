// The yardstick of start-up time: the least a Win32 program does to show a painted window. It
// opens one window, paints it, and prints the local time at which the first paint was done, in
// the form "yyyy-mm-dd hh:mm:ss.mmm", then closes; with --stay it stays open until it is closed
// (for its resident memory to be read).
//
// Options that add, one by one, what the launcher's start needs of the system, so that what Wine
// itself costs for each can be told from what the program spends (after --stay, in any order):
//   --panel  a second window of the panel's first-start size (1720 x 780), shown and painted
//   --text   paints a line of Latin and a line of Chinese text in the dialog font
//   --shell  loads the shell, OLE and common controls and initialises OLE, as the start does
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

namespace {

bool gStay = false;
bool gText = false;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        if (gText) {
            NONCLIENTMETRICSW metrics{};
            metrics.cbSize = sizeof(metrics);
            SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
            const HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
            const HGDIOBJ old = SelectObject(dc, font);
            TextOutW(dc, 10, 10, L"Drop shortcuts here", 19);
            TextOutW(dc, 10, 40, L"\u628a\u5feb\u6377\u65b9\u5f0f\u62d6\u5230\u8fd9\u91cc", 9);
            SelectObject(dc, old);
            DeleteObject(font);
        }
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
    bool panel = false;
    bool shell = false;
    for (int i = 1; i < argc; ++i) {
        gStay = gStay || std::strcmp(argv[i], "--stay") == 0;
        gText = gText || std::strcmp(argv[i], "--text") == 0;
        panel = panel || std::strcmp(argv[i], "--panel") == 0;
        shell = shell || std::strcmp(argv[i], "--shell") == 0;
    }
    if (shell) {
        // Through the loader, so that the yardstick itself imports no more than before.
        const auto call = [](const wchar_t* library, const char* name) {
            return reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(library), name));
        };
        reinterpret_cast<decltype(&InitCommonControls)>(call(L"comctl32.dll", "InitCommonControls"))();
        reinterpret_cast<decltype(&OleInitialize)>(call(L"ole32.dll", "OleInitialize"))(nullptr);
        wchar_t documents[MAX_PATH] = {};
        reinterpret_cast<decltype(&SHGetSpecialFolderPathW)>(call(L"shell32.dll", "SHGetSpecialFolderPathW"))(
            nullptr, documents, CSIDL_PERSONAL, FALSE);
        LoadLibraryW(L"uxtheme.dll");
    }
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
    if (panel) {
        CreateWindowExW(WS_EX_TOOLWINDOW, L"MinimalWindow", L"Panel", WS_POPUP | WS_VISIBLE, 0, 0, 1720, 780, window,
                        nullptr, windowClass.hInstance, nullptr);
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

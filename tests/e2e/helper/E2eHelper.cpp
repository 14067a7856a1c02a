// What end-to-end tests need done inside the Windows world of a prefix, from outside the program:
//   E2eHelper shortcut <lnk path> <target path>   writes a shell shortcut
//   E2eHelper target <lnk path>                   prints the path a shortcut points at
//   E2eHelper unclosable-edge-window              shows a window of the program's edge window
//                                                 class and title that refuses to close; runs
//                                                 until it is killed
// Exit code 0 on success.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

template <typename T>
struct ComRelease {
    T* p = nullptr;
    ~ComRelease() {
        if (p != nullptr) {
            p->Release();
        }
    }
};

int MakeShortcut(const wchar_t* lnk, const wchar_t* target) {
    ComRelease<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link.p)))) {
        return 2;
    }
    link.p->SetPath(target);
    ComRelease<IPersistFile> file;
    if (FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)))) {
        return 3;
    }
    return SUCCEEDED(file.p->Save(lnk, TRUE)) ? 0 : 4;
}

int PrintTarget(const wchar_t* lnk) {
    ComRelease<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link.p)))) {
        return 2;
    }
    ComRelease<IPersistFile> file;
    if (FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))) ||
        FAILED(file.p->Load(lnk, STGM_READ))) {
        return 3;
    }
    wchar_t path[MAX_PATH] = {};
    if (FAILED(link.p->GetPath(path, MAX_PATH, nullptr, SLGP_UNCPRIORITY))) {
        return 4;
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, path, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, path, -1, utf8.data(), size, nullptr, nullptr);
    std::printf("%s\n", utf8.c_str());
    return 0;
}

// Stands in for a Tilebay that hangs: it has the edge window's class and title, so whoever
// looks for the program finds it, but a close message is ignored.
LRESULT CALLBACK UnclosableProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int RunUnclosableEdgeWindow() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = UnclosableProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TEdgeForm";
    if (RegisterClassW(&windowClass) == 0) {
        return 2;
    }
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"TEdgeForm", L"Zenpane", WS_POPUP | WS_VISIBLE, 100, 0, 80, 20,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) {
        return 3;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (FAILED(OleInitialize(nullptr))) {
        return 10;
    }
    int result = 1;
    if (argc == 4 && std::wcscmp(argv[1], L"shortcut") == 0) {
        result = MakeShortcut(argv[2], argv[3]);
    } else if (argc == 3 && std::wcscmp(argv[1], L"target") == 0) {
        result = PrintTarget(argv[2]);
    } else if (argc == 2 && std::wcscmp(argv[1], L"unclosable-edge-window") == 0) {
        result = RunUnclosableEdgeWindow();
    } else {
        std::fwprintf(stderr, L"usage: E2eHelper shortcut <lnk> <target> | target <lnk> | unclosable-edge-window\n");
    }
    OleUninitialize();
    return result;
}

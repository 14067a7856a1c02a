// What end-to-end tests need done inside the Windows world of a prefix, from outside the program:
//   E2eHelper shortcut <lnk path> <target path>   writes a shell shortcut
//   E2eHelper target <lnk path>                   prints the path a shortcut points at
//   E2eHelper windows <window class>              describes the visible top-level windows of a
//                                                 class and their controls, as JSON
//   E2eHelper clipboard                           prints the clipboard's text, as JSON
// Exit code 0 on success. JSON output is ASCII: other characters are written as \uXXXX.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

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

std::string Json(const std::wstring& text) {
    std::string out = "\"";
    for (const wchar_t c : text) {
        if (c == L'"' || c == L'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    return out + "\"";
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::string Rect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return "[" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + "]";
}

std::string Describe(HWND window, HWND focus) {
    const std::wstring className = ClassOf(window);
    std::string out = "{\"class\": " + Json(className) + ", \"text\": " + Json(WindowText(window)) +
                      ", \"id\": " + std::to_string(GetDlgCtrlID(window)) +
                      ", \"visible\": " + (IsWindowVisible(window) ? "true" : "false") +
                      ", \"enabled\": " + (IsWindowEnabled(window) ? "true" : "false") +
                      ", \"focused\": " + (window == focus ? "true" : "false") + ", \"rect\": " + Rect(window);
    if (_wcsicmp(className.c_str(), L"Button") == 0) {
        DWORD_PTR checked = 0;
        SendMessageTimeoutW(window, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &checked);
        const LONG style = GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
        out += std::string(", \"checked\": ") + (checked == BST_CHECKED ? "true" : "false") +
               ", \"default\": " + (style == BS_DEFPUSHBUTTON ? "true" : "false");
    }
    return out + "}";
}

int PrintWindows(const wchar_t* className) {
    struct Found {
        const wchar_t* className;
        std::vector<HWND> windows;
    } found{className, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* f = reinterpret_cast<Found*>(data);
            if (IsWindowVisible(window) && ClassOf(window) == f->className) {
                f->windows.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    std::string out = "[";
    for (HWND window : found.windows) {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
        RECT client{};
        GetClientRect(window, &client);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
        if (out.size() > 1) {
            out += ", ";
        }
        out += "{\"title\": " + Json(WindowText(window)) + ", \"rect\": " + Rect(window) + ", \"client\": [" +
               std::to_string(client.left) + ", " + std::to_string(client.top) + ", " + std::to_string(client.right) +
               ", " + std::to_string(client.bottom) +
               "], \"active\": " + (info.hwndActive == window ? "true" : "false") + ", \"controls\": [";
        // Every descendant in the order the Tab key would meet its siblings.
        struct Collect {
            HWND focus;
            std::string* out;
            bool first = true;
        } collect{info.hwndFocus, &out};
        EnumChildWindows(
            window,
            [](HWND child, LPARAM data) -> BOOL {
                auto* c = reinterpret_cast<Collect*>(data);
                *c->out += (c->first ? "" : ", ") + Describe(child, c->focus);
                c->first = false;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&collect));
        out += "]}";
    }
    std::printf("%s]\n", out.c_str());
    return 0;
}

int PrintClipboard() {
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
                text = chars;
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    std::printf("%s\n", Json(text).c_str());
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
    } else if (argc == 3 && std::wcscmp(argv[1], L"windows") == 0) {
        result = PrintWindows(argv[2]);
    } else if (argc == 2 && std::wcscmp(argv[1], L"clipboard") == 0) {
        result = PrintClipboard();
    } else {
        std::fwprintf(stderr,
                      L"usage: E2eHelper shortcut <lnk> <target> | target <lnk> | windows <class> | clipboard\n");
    }
    OleUninitialize();
    return result;
}

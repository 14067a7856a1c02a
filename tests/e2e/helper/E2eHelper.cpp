// What end-to-end tests need done inside the Windows world of a prefix, from outside the program:
//   E2eHelper shortcut <lnk path> <target path>   writes a shell shortcut
//   E2eHelper target <lnk path>                   prints the path a shortcut points at
//   E2eHelper windows <window class>              describes the visible top-level windows of a
//                                                 class and their controls, as JSON
//   E2eHelper clipboard                           prints the clipboard's text, as JSON
//   E2eHelper drag <x> <y> <file>...              shows a small window at (x, y) of the screen; a
//       press on it starts an OLE drag of the files (all in one folder) as the shell offers them,
//       and when the drag ends it prints "dropped <effect>" or "cancelled", and exits
//   E2eHelper drag-items <x> <y> <item>...        the same with the shell items (parsing names,
//       all under one folder) offered only as "Shell IDList Array", as for items without files
//   E2eHelper unclosable-edge-window              shows a window of the program's edge window
//                                                 class and title that refuses to close; runs
//                                                 until it is killed
//   E2eHelper hold <path>                         opens the file with no sharing at all, prints
//                                                 "held" and keeps it open until it is killed
//   E2eHelper accessible <window class> [<name>]  walks the accessible objects of the first visible
//       window of the class, as a screen reader does, and prints the tree as JSON; with a name,
//       performs the default action of the first element of that name instead
//   E2eHelper focus-events <window class> <n>     prints a line per focus or selection event of
//       the class's windows ("focus <name>" or "selection <name>", as JSON strings), n of them
// Exit code 0 on success. JSON output is ASCII: other characters are written as \uXXXX.
#include <objbase.h>
#include <oleacc.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
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

HWND FirstVisibleWindow(const wchar_t* className) {
    struct Found {
        const wchar_t* className;
        HWND window;
    } found{className, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* f = reinterpret_cast<Found*>(data);
            if (IsWindowVisible(window) && ClassOf(window) == f->className) {
                f->window = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.window;
}

std::wstring TakeText(BSTR text) {
    std::wstring taken = text != nullptr ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return taken;
}

struct Element {
    std::wstring name;
    long role = 0;
    long state = 0;
    long location[4] = {0, 0, 0, 0};
    std::wstring action;
};

Element Describe(IAccessible* object, LONG child) {
    VARIANT id;
    VariantInit(&id);
    id.vt = VT_I4;
    id.lVal = child;
    Element e;
    BSTR text = nullptr;
    if (object->get_accName(id, &text) == S_OK) {
        e.name = TakeText(text);
    }
    VARIANT value;
    VariantInit(&value);
    if (object->get_accRole(id, &value) == S_OK && value.vt == VT_I4) {
        e.role = value.lVal;
    }
    VariantClear(&value);
    if (object->get_accState(id, &value) == S_OK && value.vt == VT_I4) {
        e.state = value.lVal;
    }
    VariantClear(&value);
    object->accLocation(&e.location[0], &e.location[1], &e.location[2], &e.location[3], id);
    text = nullptr;
    if (object->get_accDefaultAction(id, &text) == S_OK) {
        e.action = TakeText(text);
    }
    return e;
}

// Every element below object, depth first; visit returns false to stop.
template <typename Visit> bool Walk(IAccessible* object, int depth, std::string& out, Visit&& visit) {
    long count = 0;
    if (FAILED(object->get_accChildCount(&count)) || count <= 0) {
        return true;
    }
    std::vector<VARIANT> children(static_cast<std::size_t>(count));
    long got = 0;
    if (FAILED(AccessibleChildren(object, 0, count, children.data(), &got))) {
        return true;
    }
    bool go = true;
    bool first = true;
    out += ", \"children\": [";
    for (long i = 0; i < got; ++i) {
        VARIANT& child = children[static_cast<std::size_t>(i)];
        IAccessible* inner = nullptr;
        LONG id = CHILDID_SELF;
        if (child.vt == VT_DISPATCH && child.pdispVal != nullptr) {
            child.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&inner));
        } else if (child.vt == VT_I4) {
            id = child.lVal;
        }
        IAccessible* holder = inner != nullptr ? inner : object;
        if (go) {
            const Element e = Describe(holder, id);
            out += std::string(first ? "" : ", ") + "{\"name\": " + Json(e.name) +
                   ", \"role\": " + std::to_string(e.role) + ", \"state\": " + std::to_string(e.state) +
                   ", \"location\": [" + std::to_string(e.location[0]) + ", " + std::to_string(e.location[1]) + ", " +
                   std::to_string(e.location[2]) + ", " + std::to_string(e.location[3]) +
                   "], \"action\": " + Json(e.action);
            first = false;
            go = visit(holder, id, e);
            if (go && inner != nullptr) {
                go = Walk(inner, depth + 1, out, visit);
            }
            out += "}";
        }
        if (inner != nullptr) {
            inner->Release();
        }
        VariantClear(&child);
    }
    out += "]";
    return go;
}

int WalkAccessible(const wchar_t* className, const wchar_t* actOn) {
    const HWND window = FirstVisibleWindow(className);
    if (window == nullptr) {
        std::fwprintf(stderr, L"no visible window of class %ls\n", className);
        return 2;
    }
    ComRelease<IAccessible> root;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&root.p)))) {
        std::fwprintf(stderr, L"no accessible object\n");
        return 3;
    }
    const Element self = Describe(root.p, CHILDID_SELF);
    std::string out = "{\"name\": " + Json(self.name) + ", \"role\": " + std::to_string(self.role) +
                      ", \"state\": " + std::to_string(self.state);
    bool acted = false;
    Walk(root.p, 0, out, [&](IAccessible* holder, LONG id, const Element& e) {
        if (actOn == nullptr || e.name != actOn) {
            return true;
        }
        VARIANT child;
        VariantInit(&child);
        child.vt = VT_I4;
        child.lVal = id;
        acted = SUCCEEDED(holder->accDoDefaultAction(child));
        return false;
    });
    out += "}";
    if (actOn != nullptr) {
        std::printf(acted ? "done\n" : "not done\n");
        return acted ? 0 : 4;
    }
    std::printf("%s\n", out.c_str());
    return 0;
}

struct EventWatch {
    std::wstring className;
    int left = 0;
};
EventWatch gWatch;

void CALLBACK OnAccessEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG childId, DWORD, DWORD) {
    if (window == nullptr || gWatch.left <= 0 || ClassOf(window) != gWatch.className) {
        return;
    }
    IAccessible* object = nullptr;
    VARIANT child;
    VariantInit(&child);
    if (FAILED(AccessibleObjectFromEvent(window, static_cast<DWORD>(objectId), static_cast<DWORD>(childId), &object,
                                         &child)) ||
        object == nullptr) {
        return;
    }
    const Element e = Describe(object, child.vt == VT_I4 ? child.lVal : CHILDID_SELF);
    object->Release();
    VariantClear(&child);
    std::printf("%s %s\n", event == EVENT_OBJECT_FOCUS ? "focus" : "selection", Json(e.name).c_str());
    std::fflush(stdout);
    if (--gWatch.left == 0) {
        PostQuitMessage(0);
    }
}

int WatchFocusEvents(const wchar_t* className, int count) {
    gWatch = EventWatch{className, count};
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr, OnAccessEvent, 0, 0,
                                               WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    if (hook == nullptr) {
        return 3;
    }
    std::printf("watching\n");
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    UnhookWinEvent(hook);
    return 0;
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

// Ends the drag when the left button is released, and gives it up on Escape.
class DropSource : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IDropSource) {
            *object = static_cast<IDropSource*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keyState) override {
        if (escape) {
            return DRAGDROP_S_CANCEL;
        }
        return (keyState & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

// The data object the shell itself gives for files of one folder: it offers "Shell IDList Array",
// CF_HDROP and the file name formats, in the order of the files.
HRESULT ShellDataObject(const std::vector<std::wstring>& files, IDataObject** data) {
    std::vector<PIDLIST_ABSOLUTE> lists;
    HRESULT result = S_OK;
    for (const std::wstring& file : files) {
        PIDLIST_ABSOLUTE list = nullptr;
        result = SHParseDisplayName(file.c_str(), nullptr, &list, 0, nullptr);
        if (FAILED(result)) {
            break;
        }
        lists.push_back(list);
    }
    if (SUCCEEDED(result) && !lists.empty()) {
        ComRelease<IShellFolder> folder;
        PCUITEMID_CHILD first = nullptr;
        result = SHBindToParent(lists[0], IID_IShellFolder, reinterpret_cast<void**>(&folder.p), &first);
        if (SUCCEEDED(result)) {
            std::vector<PCUITEMID_CHILD> children;
            for (PIDLIST_ABSOLUTE list : lists) {
                children.push_back(ILFindLastID(list));
            }
            result = folder.p->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(),
                                             IID_IDataObject, nullptr, reinterpret_cast<void**>(data));
        }
    }
    for (PIDLIST_ABSOLUTE list : lists) {
        CoTaskMemFree(list);
    }
    return result;
}

// A data object that offers one block of one format, as global memory.
class BlockDataObject : public IDataObject {
public:
    BlockDataObject(CLIPFORMAT format, std::string block) : mFormat(format), mBlock(std::move(block)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IDataObject) {
            *object = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Lives until the program ends, whoever still holds it.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK) {
            return DV_E_FORMATETC;
        }
        const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, mBlock.size());
        if (memory == nullptr) {
            return E_OUTOFMEMORY;
        }
        std::memcpy(GlobalLock(memory), mBlock.data(), mBlock.size());
        GlobalUnlock(memory);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return format->cfFormat == mFormat && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        FORMATETC format{mFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        if (direction != DATADIR_GET) {
            *out = nullptr;
            return E_NOTIMPL;
        }
        return SHCreateStdEnumFmtEtc(1, &format, out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    CLIPFORMAT mFormat;
    std::string mBlock;
};

// The items as a "Shell IDList Array" alone: the first item's parent folder, then each item
// relative to it.
HRESULT ShellItemsDataObject(const std::vector<std::wstring>& items, IDataObject** data) {
    std::vector<PIDLIST_ABSOLUTE> lists;
    HRESULT result = S_OK;
    for (const std::wstring& item : items) {
        PIDLIST_ABSOLUTE list = nullptr;
        result = SHParseDisplayName(item.c_str(), nullptr, &list, 0, nullptr);
        if (FAILED(result)) {
            break;
        }
        lists.push_back(list);
    }
    if (SUCCEEDED(result) && !lists.empty()) {
        PIDLIST_ABSOLUTE parent = ILClone(lists[0]);
        ILRemoveLastID(parent);
        std::vector<const ITEMIDLIST*> parts{parent};
        for (PIDLIST_ABSOLUTE list : lists) {
            parts.push_back(ILFindLastID(list));
        }
        std::string block(sizeof(UINT) * (parts.size() + 1), '\0');
        const UINT count = static_cast<UINT>(lists.size());
        std::memcpy(block.data(), &count, sizeof(count));
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const UINT offset = static_cast<UINT>(block.size());
            std::memcpy(block.data() + sizeof(UINT) * (i + 1), &offset, sizeof(offset));
            block.append(reinterpret_cast<const char*>(parts[i]), ILGetSize(parts[i]));
        }
        CoTaskMemFree(parent);
        static BlockDataObject object(static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_SHELLIDLIST)), block);
        *data = &object;
    }
    for (PIDLIST_ABSOLUTE list : lists) {
        CoTaskMemFree(list);
    }
    return result;
}

struct DragState {
    IDataObject* data = nullptr;
    int exitCode = 6;
};

LRESULT CALLBACK DragSourceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DragState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_LBUTTONDOWN: {
        DropSource source;
        DWORD effect = DROPEFFECT_NONE;
        const HRESULT result =
            DoDragDrop(state->data, &source, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
        if (result == DRAGDROP_S_DROP) {
            std::printf("dropped %lu\n", effect);
            state->exitCode = 0;
        } else {
            std::printf("cancelled 0x%08lx\n", static_cast<unsigned long>(result));
            state->exitCode = 7;
        }
        std::fflush(stdout);
        DestroyWindow(window);
        return 0;
    }
    case WM_TIMER:
        std::printf("no press came\n");
        std::fflush(stdout);
        DestroyWindow(window);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

int DragFiles(int x, int y, const std::vector<std::wstring>& files, bool itemsOnly) {
    DragState state;
    if (FAILED(itemsOnly ? ShellItemsDataObject(files, &state.data) : ShellDataObject(files, &state.data))) {
        std::fwprintf(stderr, L"no data object for the files\n");
        return 2;
    }
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DragSourceProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"E2eDragSource";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"E2eDragSource", L"E2eDragSource",
                                        WS_POPUP, x, y, 60, 60, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
        state.data->Release();
        return 3;
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
    SetTimer(window, 1, 120000, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    state.data->Release();
    return state.exitCode;
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

// Stands in for another program that has the user's file open exclusively.
int HoldFile(const wchar_t* path) {
    const HANDLE file =
        CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fwprintf(stderr, L"cannot open %ls: error %lu\n", path, GetLastError());
        return 2;
    }
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(INFINITE);
    CloseHandle(file);
    return 0;
}

// Holds a hotkey (MOD_ flags and a virtual key, as RegisterHotKey takes them) until killed,
// as another program that took the combination first would.
int HoldHotkey(UINT modifiers, UINT key) {
    if (!RegisterHotKey(nullptr, 1, modifiers, key)) {
        std::fwprintf(stderr, L"cannot register the hotkey: error %lu\n", GetLastError());
        return 2;
    }
    std::printf("held\n");
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
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
    } else if (argc == 3 && std::wcscmp(argv[1], L"windows") == 0) {
        result = PrintWindows(argv[2]);
    } else if (argc == 2 && std::wcscmp(argv[1], L"clipboard") == 0) {
        result = PrintClipboard();
    } else if (argc >= 5 && std::wcscmp(argv[1], L"drag") == 0) {
        result = DragFiles(_wtoi(argv[2]), _wtoi(argv[3]), std::vector<std::wstring>(argv + 4, argv + argc), false);
    } else if (argc >= 5 && std::wcscmp(argv[1], L"drag-items") == 0) {
        result = DragFiles(_wtoi(argv[2]), _wtoi(argv[3]), std::vector<std::wstring>(argv + 4, argv + argc), true);
    } else if (argc == 2 && std::wcscmp(argv[1], L"unclosable-edge-window") == 0) {
        result = RunUnclosableEdgeWindow();
    } else if (argc == 3 && std::wcscmp(argv[1], L"hold") == 0) {
        result = HoldFile(argv[2]);
    } else if (argc == 4 && std::wcscmp(argv[1], L"hold-hotkey") == 0) {
        result = HoldHotkey(static_cast<UINT>(_wtoi(argv[2])), static_cast<UINT>(_wtoi(argv[3])));
    } else if ((argc == 3 || argc == 4) && std::wcscmp(argv[1], L"accessible") == 0) {
        result = WalkAccessible(argv[2], argc == 4 ? argv[3] : nullptr);
    } else if (argc == 4 && std::wcscmp(argv[1], L"focus-events") == 0) {
        result = WatchFocusEvents(argv[2], _wtoi(argv[3]));
    } else {
        std::fwprintf(stderr,
                      L"usage: E2eHelper shortcut <lnk> <target> | target <lnk> | windows <class> | clipboard | "
                      L"drag <x> <y> <file>... | drag-items <x> <y> <item>... | unclosable-edge-window | "
                      L"hold <path> | hold-hotkey <modifiers> <key> | accessible <class> [<name>] | "
                      L"focus-events <class> <n>\n");
    }
    OleUninitialize();
    return result;
}

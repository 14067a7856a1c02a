#include "framework/Accessibility.h"

#include <atomic>
#include <utility>

namespace Accessibility {

namespace {

using LresultFromObjectFunction = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using CreateStdAccessibleObjectFunction = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using SysAllocStringLenFunction = BSTR(WINAPI*)(const OLECHAR*, UINT);

struct Library {
    LresultFromObjectFunction resultFromObject = nullptr;
    CreateStdAccessibleObjectFunction standardObject = nullptr;
    SysAllocStringLenFunction allocText = nullptr;
};

const Library& Oleacc() {
    // Loaded once and kept for the life of the process: objects handed out live in it.
    static const Library library = [] {
        Library loaded;
        if (HMODULE module = LoadLibraryW(L"oleacc.dll")) {
            loaded.resultFromObject = reinterpret_cast<LresultFromObjectFunction>(
                reinterpret_cast<void*>(GetProcAddress(module, "LresultFromObject")));
            loaded.standardObject = reinterpret_cast<CreateStdAccessibleObjectFunction>(
                reinterpret_cast<void*>(GetProcAddress(module, "CreateStdAccessibleObject")));
        }
        if (HMODULE module = LoadLibraryW(L"oleaut32.dll")) {
            loaded.allocText = reinterpret_cast<SysAllocStringLenFunction>(
                reinterpret_cast<void*>(GetProcAddress(module, "SysAllocStringLen")));
        }
        return loaded;
    }();
    return library;
}

// The system's client object with another name; every other question goes to the system's.
class NamedObject final : public IAccessible {
public:
    NamedObject(IAccessible* inner, std::wstring name) : mInner(inner), mName(std::move(name)) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++mReferences; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --mReferences;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return mInner->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return mInner->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return mInner->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argument) override {
        return mInner->Invoke(id, iid, locale, flags, params, result, exception, argument);
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return mInner->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return mInner->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return mInner->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (child.vt == VT_I4 && child.lVal == CHILDID_SELF) {
            if (name == nullptr) {
                return E_POINTER;
            }
            *name = MakeText(mName);
            return *name != nullptr ? S_OK : E_OUTOFMEMORY;
        }
        return mInner->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return mInner->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return mInner->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return mInner->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return mInner->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return mInner->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return mInner->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return mInner->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return mInner->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return mInner->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return mInner->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return mInner->accSelect(flags, child); }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        return mInner->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return mInner->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return mInner->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return mInner->accDoDefaultAction(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return mInner->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return mInner->put_accValue(child, value);
    }

private:
    ~NamedObject() { mInner->Release(); }

    IAccessible* mInner;
    std::wstring mName;
    std::atomic<ULONG> mReferences{1};
};

} // namespace

LRESULT ResultFromObject(IAccessible* object, WPARAM wParam) {
    const Library& library = Oleacc();
    if (object == nullptr || library.resultFromObject == nullptr) {
        return 0;
    }
    const LRESULT result = library.resultFromObject(IID_IAccessible, wParam, object);
    // A failure comes back as a negative HRESULT; the system then answers as if not asked.
    return result > 0 ? result : 0;
}

IAccessible* StandardObject(HWND window, LONG objectId) {
    const Library& library = Oleacc();
    void* object = nullptr;
    if (library.standardObject == nullptr ||
        FAILED(library.standardObject(window, objectId, IID_IAccessible, &object))) {
        return nullptr;
    }
    return static_cast<IAccessible*>(object);
}

LRESULT NamedClientObject(HWND window, WPARAM wParam, const std::wstring& name) {
    IAccessible* inner = StandardObject(window, OBJID_CLIENT);
    if (inner == nullptr) {
        return 0;
    }
    auto* named = new NamedObject(inner, name);
    const LRESULT result = ResultFromObject(named, wParam);
    named->Release();
    return result;
}

BSTR MakeText(const std::wstring& text) {
    const Library& library = Oleacc();
    return library.allocText != nullptr ? library.allocText(text.data(), static_cast<UINT>(text.size())) : nullptr;
}

void Notify(DWORD event, HWND window, LONG objectId, LONG childId) {
    if (window != nullptr) {
        NotifyWinEvent(event, window, objectId, childId);
    }
}

} // namespace Accessibility

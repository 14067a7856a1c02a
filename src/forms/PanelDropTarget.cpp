#include "forms/PanelDropTarget.h"

#include "foundation/logging/Log.h"
#include "foundation/win32/FunctionTrace.h"
#include "framework/ErrorSink.h"
#include "framework/Window.h"
#include "model/OrvexModel.h"
#include "model/ShortcutFactory.h"
#include "os/IOsSpecific.h"
#include "views/DragDropManager.h"
#include "views/OrvexView.h"

#include <shlguid.h>

namespace {

// Runs a COM method's body: an exception is handed to the application and never reaches OLE.
template <typename F> HRESULT ComGuarded(F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        HandleCurrentException();
        return E_UNEXPECTED;
    }
}

std::wstring FileNameOf(const std::wstring& path) {
    const std::size_t split = path.find_last_of(L"\\/");
    return split == std::wstring::npos ? path : path.substr(split + 1);
}

} // namespace

HRESULT STDMETHODCALLTYPE DropTargetFace::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (riid == IID_IUnknown || riid == IID_IDropTarget) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DropTargetFace::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&mRefCount));
}

ULONG STDMETHODCALLTYPE DropTargetFace::Release() {
    // The window owns the face; the count only answers COM.
    return static_cast<ULONG>(InterlockedDecrement(&mRefCount));
}

HRESULT DropTargetFace::Register(TDropTargetRegistration& registration) {
    const HRESULT helper =
        CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&mDropTargetHelper));
    if (FAILED(helper)) {
        mDropTargetHelper.Reset();
        LOG_INF("DropTargetFace::Register", L"No drag images from the shell (0x"
                                                << std::hex << static_cast<unsigned long>(helper) << std::dec
                                                << L"); drags work without them");
    }
    const HRESULT result = registration.Register(this);
    if (FAILED(result)) {
        LOG_ERR("DropTargetFace::Register", L"The window takes no drops: registering it failed (0x"
                                                << std::hex << static_cast<unsigned long>(result) << std::dec << L")");
    }
    return result;
}

void DropTargetFace::AdjustEffect(DWORD* effect) {
    if (mOsSpecific != nullptr && effect != nullptr) {
        mOsSpecific->AdjustDropEffect(*effect);
    }
}

void DropTargetFace::ImageDragEnter(IDataObject* data, POINTL point, DWORD* effect) {
    if (mDropTargetHelper) {
        AdjustEffect(effect);
        POINT p{point.x, point.y};
        mDropTargetHelper->DragEnter(mWindow.Handle(), data, &p, *effect);
    }
}

void DropTargetFace::ImageDragOver(POINTL point, DWORD* effect) {
    if (mDropTargetHelper) {
        AdjustEffect(effect);
        POINT p{point.x, point.y};
        mDropTargetHelper->DragOver(&p, *effect);
    }
}

void DropTargetFace::ImageDragLeave() {
    if (mDropTargetHelper) {
        mDropTargetHelper->DragLeave();
    }
}

void DropTargetFace::ImageDrop(IDataObject* data, POINTL point, DWORD* effect) {
    if (mDropTargetHelper) {
        AdjustEffect(effect);
        POINT p{point.x, point.y};
        mDropTargetHelper->Drop(data, &p, *effect);
    }
}

POINT PanelDropTarget::ToClient(POINTL screen) const {
    POINT p{screen.x, screen.y};
    ScreenToClient(mWindow.Handle(), &p);
    return p;
}

HRESULT STDMETHODCALLTYPE PanelDropTarget::DragEnter(IDataObject* data, DWORD /*keyState*/, POINTL point,
                                                     DWORD* effect) {
    return ComGuarded([&] {
        TRACE_FUNCTION("PanelDropTarget::DragEnter");
        if (data == nullptr || effect == nullptr) {
            return E_INVALIDARG;
        }
        ImageDragEnter(data, point, effect);
        // Any drag is welcome; what it brings is looked at on the drop.
        mDragState.Begin(ShellDrag{data});
        *effect = DROPEFFECT_LINK;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE PanelDropTarget::DragOver(DWORD /*keyState*/, POINTL point, DWORD* effect) {
    return ComGuarded([&] {
        if (effect == nullptr) {
            return E_INVALIDARG;
        }
        ImageDragOver(point, effect);
        // The group under the pointer follows it with its insertion bar.
        const ViewDragArgs args{ToClient(point), mWindow.Handle()};
        mRoot.DragTo(&args);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE PanelDropTarget::DragLeave() {
    return ComGuarded([&] {
        TRACE_FUNCTION("PanelDropTarget::DragLeave");
        const DragDropManager::EndScope end(mDragState);
        ImageDragLeave();
        const ViewDragArgs args{POINT{0, 0}, mWindow.Handle()};
        mRoot.EndDrag(&args);
        // The group that showed where the shortcut would go shows it no more.
        if (IElementView* hovered = mRoot.GetHoverChild()) {
            hovered->DragLeave(&args);
        }
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE PanelDropTarget::Drop(IDataObject* data, DWORD /*keyState*/, POINTL point, DWORD* effect) {
    return ComGuarded([&] {
        TRACE_FUNCTION("PanelDropTarget::Drop");
        // The drag ends here, whatever adding the shortcut does: the record must not keep the data
        // object, which goes with the drop.
        const DragDropManager::EndScope end(mDragState);
        if (effect == nullptr) {
            return E_INVALIDARG;
        }
        ImageDrop(data, point, effect);
        *effect = DROPEFFECT_LINK;
        const POINT client = ToClient(point);
        // The group that showed where the shortcut would go shows it no more; where it goes is
        // taken from the point.
        const ViewDragArgs args{client, mWindow.Handle()};
        if (IElementView* hovered = mRoot.GetHoverChild()) {
            hovered->DragLeave(&args);
        }
        DropAt(data, client);
        return S_OK;
    });
}

std::wstring PanelDropTarget::DropAt(IDataObject* data, POINT client) {
    if (mRoot.HitTest(client.x, client.y) == static_cast<IElementView*>(&mRoot)) {
        LOG_INF("PanelDropTarget::DropAt",
                L"Dropped on no group at " << client.x << L"," << client.y << L": nothing added");
        return L"";
    }
    std::wstring problem;
    const std::wstring path =
        mLinksFolder.empty() ? std::wstring() : ShortcutFactory::NewShortcutPath(mLinksFolder, problem);
    if (path.empty()) {
        LOG_ERR("PanelDropTarget::DropAt",
                L"Nothing added for the drop: " << (problem.empty() ? L"there is no links folder" : problem));
        return L"";
    }
    std::wstring outcome;
    if (!ShortcutFactory::CreateShortcutFromDataObject(data, path, outcome)) {
        DeleteFileW(path.c_str());
        LOG_INF("PanelDropTarget::DropAt", L"Nothing added for the drop: " << outcome);
        return L"";
    }
    mRoot.DropLink(path, client);
    mModel.SetChanged();
    LOG_INF("PanelDropTarget::DropAt",
            L"Added " << FileNameOf(path) << L" for " << outcome << L" at " << client.x << L"," << client.y);
    return path;
}

HRESULT STDMETHODCALLTYPE EdgeDropTarget::DragEnter(IDataObject* data, DWORD /*keyState*/, POINTL point,
                                                    DWORD* effect) {
    return ComGuarded([&] {
        TRACE_FUNCTION("EdgeDropTarget::DragEnter");
        if (effect == nullptr) {
            return E_INVALIDARG;
        }
        ImageDragEnter(data, point, effect);
        if (OnDragEnter) {
            OnDragEnter();
        }
        *effect = DROPEFFECT_LINK;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE EdgeDropTarget::DragOver(DWORD /*keyState*/, POINTL point, DWORD* effect) {
    return ComGuarded([&] {
        if (effect == nullptr) {
            return E_INVALIDARG;
        }
        ImageDragOver(point, effect);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE EdgeDropTarget::DragLeave() {
    return ComGuarded([&] {
        ImageDragLeave();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE EdgeDropTarget::Drop(IDataObject* data, DWORD /*keyState*/, POINTL point, DWORD* effect) {
    return ComGuarded([&] {
        TRACE_FUNCTION("EdgeDropTarget::Drop");
        if (effect == nullptr) {
            return E_INVALIDARG;
        }
        ImageDrop(data, point, effect);
        *effect = DROPEFFECT_LINK;
        LOG_INF("EdgeDropTarget::Drop", L"Dropped on the button: nothing added");
        return S_OK;
    });
}

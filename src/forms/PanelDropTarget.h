#pragma once

#include <windows.h>

#include <oleidl.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <functional>
#include <string>

class DragDropManager;
class IOsSpecific;
class OrvexModel;
class OrvexView;
class TDropTargetRegistration;
class TWindow;

// What the panel and the button share as OLE drop targets: the COM identity, and the shell's
// drag-image object, which shows the dragged item's picture over the window when the system has
// one. The face is part of its window: its reference count is kept because COM asks for it and
// never ends the window or the face. OLE calls it on the window's thread; no exception leaves it.
class DropTargetFace : public IDropTarget {
public:
    // services is the window's pointer to the OS-specific services, which may be set later.
    DropTargetFace(TWindow& window, IOsSpecific* const& services) : mWindow(window), mOsSpecific(services) {}
    virtual ~DropTargetFace() = default;
    DropTargetFace(const DropTargetFace&) = delete;
    DropTargetFace& operator=(const DropTargetFace&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // Makes the drag-image object (drags work without it) and registers the window as a drop
    // target with this face; the registration ends with the window.
    HRESULT Register(TDropTargetRegistration& registration);
    LONG RefCount() const { return mRefCount; }
    bool HasDragImages() const { return mDropTargetHelper != nullptr; }

protected:
    // Let the drag image follow; each lets the OS-specific services adjust the effect first.
    void ImageDragEnter(IDataObject* data, POINTL point, DWORD* effect);
    void ImageDragOver(POINTL point, DWORD* effect);
    void ImageDragLeave();
    void ImageDrop(IDataObject* data, POINTL point, DWORD* effect);

    TWindow& mWindow;

private:
    void AdjustEffect(DWORD* effect);

    IOsSpecific* const& mOsSpecific;
    Microsoft::WRL::ComPtr<IDropTargetHelper> mDropTargetHelper;
    volatile LONG mRefCount = 0;
};

// The panel as a drop target for the shell: while something is dragged over it, the group under
// the pointer shows where the new shortcut would go; a drop writes a shortcut file in the links
// folder for the first dropped item and inserts it into that group there.
class PanelDropTarget : public DropTargetFace {
public:
    // Every part belongs to the window and lives as long as it; linksFolder may change.
    PanelDropTarget(TWindow& window, IOsSpecific* const& services, OrvexView& root, DragDropManager& dragState,
                    OrvexModel& model, const std::wstring& linksFolder)
        : DropTargetFace(window, services), mRoot(root), mDragState(dragState), mModel(model),
          mLinksFolder(linksFolder) {}

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

    // Adds a shortcut for the first item of data to the group under the client point; returns its
    // path, or empty when nothing was added (no group there, nothing usable dropped), and then no
    // file is left behind. The log says what happened.
    std::wstring DropAt(IDataObject* data, POINT client);

private:
    POINT ToClient(POINTL screen) const;

    OrvexView& mRoot;
    DragDropManager& mDragState;
    OrvexModel& mModel;
    const std::wstring& mLinksFolder;
};

// The button as a drop target: a drag that enters it brings the panel up, so the user can drop
// there; a drop on the button itself adds nothing.
class EdgeDropTarget : public DropTargetFace {
public:
    using DropTargetFace::DropTargetFace;

    // Raised when a drag enters the button.
    std::function<void()> OnDragEnter;

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
};

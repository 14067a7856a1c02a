#pragma once

#include <windows.h>

#include <utility>

namespace Tessel::Common {

// Sole owner of one system handle. Move-only; releases the handle on destruction with the
// function that fits its kind, which the traits give together with the handle's type and its
// "no handle" value. Release() gives the handle up, for when the system takes it over (a region
// handed to SetWindowRgn, say).
template <typename Traits> class UniqueHandleOf {
public:
    using Handle = typename Traits::Handle;

    UniqueHandleOf() = default;
    explicit UniqueHandleOf(Handle handle) : mHandle(handle) {}
    ~UniqueHandleOf() { Reset(); }

    UniqueHandleOf(UniqueHandleOf&& other) noexcept : mHandle(other.Release()) {}
    UniqueHandleOf& operator=(UniqueHandleOf&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueHandleOf(const UniqueHandleOf&) = delete;
    UniqueHandleOf& operator=(const UniqueHandleOf&) = delete;

    Handle Get() const { return mHandle; }
    bool IsValid() const { return Traits::IsValid(mHandle); }
    explicit operator bool() const { return IsValid(); }

    Handle Release() { return std::exchange(mHandle, Traits::Invalid()); }
    // Releases the handle held now and takes another; false when the system reported an error
    // while releasing.
    bool Reset(Handle handle = Traits::Invalid()) {
        bool released = true;
        if (IsValid() && mHandle != handle) {
            released = Traits::Free(mHandle);
        }
        mHandle = handle;
        return released;
    }

private:
    Handle mHandle = Traits::Invalid();
};

// Kernel objects (mutexes, events, ...), null when there is none.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static bool Free(HANDLE h) { return CloseHandle(h) != FALSE; }
};
// Files, INVALID_HANDLE_VALUE when there is none.
struct FileHandleTraits : KernelHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
};
// A file search of FindFirstFileW, INVALID_HANDLE_VALUE when there is none.
struct FindHandleTraits {
    using Handle = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static bool Free(HANDLE h) { return FindClose(h) != FALSE; }
};
template <typename H> struct GdiObjectTraits {
    using Handle = H;
    static H Invalid() { return nullptr; }
    static bool IsValid(H h) { return h != nullptr; }
    static bool Free(H h) { return DeleteObject(h) != FALSE; }
};
struct MemoryDcTraits {
    using Handle = HDC;
    static HDC Invalid() { return nullptr; }
    static bool IsValid(HDC h) { return h != nullptr; }
    static bool Free(HDC h) { return DeleteDC(h) != FALSE; }
};
struct IconTraits {
    using Handle = HICON;
    static HICON Invalid() { return nullptr; }
    static bool IsValid(HICON h) { return h != nullptr; }
    static bool Free(HICON h) { return DestroyIcon(h) != FALSE; }
};

using UniqueHandle = UniqueHandleOf<KernelHandleTraits>;
using UniqueFileHandle = UniqueHandleOf<FileHandleTraits>;
using UniqueFindHandle = UniqueHandleOf<FindHandleTraits>;
using UniqueBrush = UniqueHandleOf<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueHandleOf<GdiObjectTraits<HPEN>>;
using UniqueFont = UniqueHandleOf<GdiObjectTraits<HFONT>>;
using UniqueBitmap = UniqueHandleOf<GdiObjectTraits<HBITMAP>>;
using UniqueRegion = UniqueHandleOf<GdiObjectTraits<HRGN>>;
// A device context made with CreateCompatibleDC or CreateDC.
using UniqueMemoryDc = UniqueHandleOf<MemoryDcTraits>;
using UniqueIcon = UniqueHandleOf<IconTraits>;

// Selects an object into a device context for the length of a scope, then puts back what was
// selected before.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : mDc(dc), mPrevious(object ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelectObject() {
        if (mPrevious != nullptr && mPrevious != HGDI_ERROR) {
            SelectObject(mDc, mPrevious);
        }
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC mDc;
    HGDIOBJ mPrevious;
};

// A window's device context from GetDC, released with ReleaseDC.
class ScopedWindowDc {
public:
    explicit ScopedWindowDc(HWND window) : mWindow(window), mDc(GetDC(window)) {}
    ~ScopedWindowDc() {
        if (mDc != nullptr) {
            ReleaseDC(mWindow, mDc);
        }
    }
    ScopedWindowDc(const ScopedWindowDc&) = delete;
    ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
    HDC Get() const { return mDc; }

private:
    HWND mWindow;
    HDC mDc;
};

} // namespace Tessel::Common

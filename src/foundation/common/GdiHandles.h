#pragma once

#include <windows.h>

#include <utility>

namespace Tessel::Common {

// Sole owner of a GDI or USER handle. Move-only; releases the handle on destruction with the
// function that fits its kind. Release() gives the handle up, for when the system takes it over
// (a region handed to SetWindowRgn, say).
template <typename Handle, typename Traits>
class UniqueGdi {
public:
    UniqueGdi() = default;
    explicit UniqueGdi(Handle handle) : mHandle(handle) {}
    ~UniqueGdi() { Reset(); }

    UniqueGdi(UniqueGdi&& other) noexcept : mHandle(other.Release()) {}
    UniqueGdi& operator=(UniqueGdi&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueGdi(const UniqueGdi&) = delete;
    UniqueGdi& operator=(const UniqueGdi&) = delete;

    Handle Get() const { return mHandle; }
    explicit operator bool() const { return mHandle != nullptr; }
    Handle Release() { return std::exchange(mHandle, nullptr); }
    void Reset(Handle handle = nullptr) {
        if (mHandle != nullptr && mHandle != handle) {
            Traits::Free(mHandle);
        }
        mHandle = handle;
    }

private:
    Handle mHandle = nullptr;
};

struct GdiObjectTraits {
    static void Free(HGDIOBJ object) { DeleteObject(object); }
};
struct MemoryDcTraits {
    static void Free(HDC dc) { DeleteDC(dc); }
};
struct IconTraits {
    static void Free(HICON icon) { DestroyIcon(icon); }
};

using UniqueBrush = UniqueGdi<HBRUSH, GdiObjectTraits>;
using UniquePen = UniqueGdi<HPEN, GdiObjectTraits>;
using UniqueFont = UniqueGdi<HFONT, GdiObjectTraits>;
using UniqueBitmap = UniqueGdi<HBITMAP, GdiObjectTraits>;
using UniqueRegion = UniqueGdi<HRGN, GdiObjectTraits>;
// A device context made with CreateCompatibleDC or CreateDC.
using UniqueMemoryDc = UniqueGdi<HDC, MemoryDcTraits>;
using UniqueIcon = UniqueGdi<HICON, IconTraits>;

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

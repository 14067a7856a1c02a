#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct IDropTarget;
class TTimer;
class TDropTargetRegistration;

// A window owned by one object. The object exists before its window and outlives it: the window
// is made by CreateWindowHandle and destroyed by DestroyHandle while the whole object still
// exists, so the object sees every message up to WM_NCDESTROY. Every window of the program goes
// through one window procedure that finds its object; no exception ever leaves it (a failing
// handler goes to the error sink and the message counts as handled).
//
// Per-window resources (timers, the drop-target registration) have small owners that end with the
// window in a fixed order: when WM_DESTROY has been handled, the timers are killed, then the drop
// target is revoked, then the window goes.
class TWindow {
public:
    TWindow() = default;
    // A window still there is destroyed without calling back into parts of the object that are
    // already gone: its messages no longer reach the object.
    virtual ~TWindow();

    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    HWND Handle() const { return mHandle; }
    // Destroys the window now (nothing when there is none).
    void DestroyHandle();

    // Registers a window class of this module for TWindow objects once; later calls do nothing.
    static void RegisterWindowClass(const std::wstring& name, UINT style = CS_DBLCLKS,
                                    const wchar_t* cursor = IDC_ARROW, HBRUSH background = nullptr);

    // A previewer sees every message of every window of the program (the hidden application
    // window's too) before the window's object does; returning true with result set ends the
    // message's handling. It lets a part that no window knows answer what the system sends to
    // whichever window it is shown for (the owner-drawn images of a menu). Adding one twice adds
    // it once.
    using MessagePreviewer = bool (*)(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    static void AddMessagePreviewer(MessagePreviewer previewer);
    static void RemoveMessagePreviewer(MessagePreviewer previewer);
    // Hands a message to the previewers, the first added first; true when one took it.
    static bool PreviewMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // The window that owns the program's top-level windows made without an owner of their own:
    // the hidden application window, which keeps them off the taskbar. Null without one.
    static HWND DefaultOwner();
    static void SetDefaultOwner(HWND owner);

protected:
    // Creates the window of a class registered with RegisterWindowClass; the object receives its
    // messages from WM_NCCREATE on. Throws Exception when the system refuses.
    void CreateWindowHandle(DWORD exStyle, const std::wstring& className, const std::wstring& caption, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menuOrId = nullptr);

    // The object's handling of a message; the default is the system's.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend class TTimer;
    friend class TDropTargetRegistration;

    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void Detach() noexcept;
    void EndResources() noexcept;
    void StartTimers() noexcept;

    HWND mHandle = nullptr;
    std::vector<TTimer*> mTimers;
    TDropTargetRegistration* mDropTarget = nullptr;
};

// A window timer: raises OnTimer every Interval milliseconds while enabled. It belongs to a
// window and runs only while that window exists; a timer enabled before its window is made
// starts with the window.
class TTimer {
public:
    explicit TTimer(TWindow& owner, UINT interval = 1000, bool enabled = true);
    ~TTimer();

    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    bool Enabled() const { return mEnabled; }
    void SetEnabled(bool enabled);
    UINT Interval() const { return mInterval; }
    void SetInterval(UINT interval);
    // Whether the system timer runs now (enabled, and the window exists).
    bool Running() const { return mRunning; }
    // The id of the system timer on the owner's window.
    UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }

    std::function<void()> OnTimer;

private:
    friend class TWindow;

    void Start() noexcept;
    void Stop() noexcept;
    void Fire();

    TWindow& mOwner;
    UINT mInterval;
    bool mEnabled;
    bool mRunning = false;
};

// The registration of a window as an OLE drop target. Revoked when the window is destroyed (after
// its timers are killed) or when the registration ends, whichever comes first. The target's
// reference count never decides the window's life.
class TDropTargetRegistration {
public:
    explicit TDropTargetRegistration(TWindow& owner) : mOwner(owner) {}
    ~TDropTargetRegistration();

    TDropTargetRegistration(const TDropTargetRegistration&) = delete;
    TDropTargetRegistration& operator=(const TDropTargetRegistration&) = delete;

    // Registers the owner's window; OLE must be initialised on this thread.
    HRESULT Register(IDropTarget* target);
    void Revoke() noexcept;
    bool Registered() const { return mWindow != nullptr; }

private:
    TWindow& mOwner;
    HWND mWindow = nullptr;
};

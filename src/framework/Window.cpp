#include "framework/Window.h"

#include "foundation/lang/Exception.h"
#include "framework/ErrorSink.h"

#include <ole2.h>

#include <algorithm>

namespace {

std::vector<TWindow::MessagePreviewer> gMessagePreviewers;
HWND gDefaultOwner = nullptr;

} // namespace

TWindow::~TWindow() {
    if (mHandle != nullptr) {
        HWND window = mHandle;
        Detach();
        DestroyWindow(window);
    }
}

void TWindow::RegisterWindowClass(const std::wstring& name, UINT style, const wchar_t* cursor, HBRUSH background) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name.c_str(), &existing)) {
        return;
    }
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = style;
    windowClass.lpfnWndProc = StaticWndProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = cursor != nullptr ? LoadCursorW(nullptr, cursor) : nullptr;
    windowClass.hbrBackground = background;
    windowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    windowClass.lpszClassName = name.c_str();
    RegisterClassExW(&windowClass);
}

void TWindow::CreateWindowHandle(DWORD exStyle, const std::wstring& className, const std::wstring& caption, DWORD style,
                                 int x, int y, int width, int height, HWND parent, HMENU menuOrId) {
    if (mHandle != nullptr) {
        return;
    }
    CreateWindowExW(exStyle, className.c_str(), caption.c_str(), style, x, y, width, height, parent, menuOrId,
                    GetModuleHandleW(nullptr), this);
    if (mHandle == nullptr) {
        throw Exception(L"Error creating window " + className);
    }
    StartTimers();
}

void TWindow::DestroyHandle() {
    if (mHandle != nullptr) {
        DestroyWindow(mHandle);
    }
    // A window the system would not destroy (another thread's, say) no longer reaches us.
    if (mHandle != nullptr) {
        EndResources();
        Detach();
    }
}

void TWindow::AddMessagePreviewer(MessagePreviewer previewer) {
    if (std::find(gMessagePreviewers.begin(), gMessagePreviewers.end(), previewer) == gMessagePreviewers.end()) {
        gMessagePreviewers.push_back(previewer);
    }
}

void TWindow::RemoveMessagePreviewer(MessagePreviewer previewer) {
    gMessagePreviewers.erase(std::remove(gMessagePreviewers.begin(), gMessagePreviewers.end(), previewer),
                             gMessagePreviewers.end());
}

bool TWindow::PreviewMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // By index and by copy: a previewer may add or remove previewers while it runs.
    for (std::size_t i = 0; i < gMessagePreviewers.size(); ++i) {
        const MessagePreviewer previewer = gMessagePreviewers[i];
        if (previewer(message, wParam, lParam, result)) {
            return true;
        }
    }
    return false;
}

HWND TWindow::DefaultOwner() {
    return gDefaultOwner;
}

void TWindow::SetDefaultOwner(HWND owner) {
    gDefaultOwner = owner;
}

LRESULT TWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultHandler(message, wParam, lParam);
}

LRESULT TWindow::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(mHandle, message, wParam, lParam);
}

void TWindow::Detach() noexcept {
    if (mHandle != nullptr) {
        SetWindowLongPtrW(mHandle, GWLP_USERDATA, 0);
        mHandle = nullptr;
    }
}

void TWindow::StartTimers() noexcept {
    for (TTimer* timer : mTimers) {
        if (timer->mEnabled) {
            timer->Start();
        }
    }
}

void TWindow::EndResources() noexcept {
    for (TTimer* timer : mTimers) {
        timer->Stop();
    }
    if (mDropTarget != nullptr) {
        mDropTarget->Revoke();
    }
}

LRESULT CALLBACK TWindow::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* object = static_cast<TWindow*>(create->lpCreateParams);
        if (object != nullptr) {
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
            object->mHandle = window;
        }
    }
    auto* object = reinterpret_cast<TWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (object == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    try {
        if (message == WM_TIMER) {
            const auto timer = std::find_if(object->mTimers.begin(), object->mTimers.end(),
                                            [wParam](const TTimer* t) { return t->Id() == wParam; });
            if (timer != object->mTimers.end()) {
                (*timer)->Fire();
                return 0;
            }
        }
        if (PreviewMessage(message, wParam, lParam, result)) {
            return result;
        }
        result = object->WndProc(message, wParam, lParam);
    } catch (...) {
        HandleCurrentException();
    }
    if (message == WM_DESTROY) {
        object->EndResources();
    } else if (message == WM_NCDESTROY) {
        object->Detach();
    }
    return result;
}

TTimer::TTimer(TWindow& owner, UINT interval, bool enabled) : mOwner(owner), mInterval(interval), mEnabled(enabled) {
    mOwner.mTimers.push_back(this);
    if (mEnabled) {
        Start();
    }
}

TTimer::~TTimer() {
    Stop();
    auto& timers = mOwner.mTimers;
    timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == mEnabled) {
        return;
    }
    mEnabled = enabled;
    if (mEnabled) {
        Start();
    } else {
        Stop();
    }
}

void TTimer::SetInterval(UINT interval) {
    if (interval == mInterval) {
        return;
    }
    mInterval = interval;
    if (mRunning) {
        Start();
    }
}

void TTimer::Start() noexcept {
    if (mOwner.mHandle == nullptr || mInterval == 0) {
        return;
    }
    // Setting a running timer again restarts it with the new interval.
    mRunning = SetTimer(mOwner.mHandle, Id(), mInterval, nullptr) != 0;
}

void TTimer::Stop() noexcept {
    if (mRunning && mOwner.mHandle != nullptr) {
        KillTimer(mOwner.mHandle, Id());
    }
    mRunning = false;
}

void TTimer::Fire() {
    // A tick already in the queue when the timer was stopped is not delivered.
    if (mEnabled && mRunning && OnTimer) {
        OnTimer();
    }
}

TDropTargetRegistration::~TDropTargetRegistration() {
    Revoke();
}

HRESULT TDropTargetRegistration::Register(IDropTarget* target) {
    Revoke();
    if (mOwner.mHandle == nullptr) {
        return E_HANDLE;
    }
    const HRESULT result = RegisterDragDrop(mOwner.mHandle, target);
    if (SUCCEEDED(result)) {
        mWindow = mOwner.mHandle;
        mOwner.mDropTarget = this;
    }
    return result;
}

void TDropTargetRegistration::Revoke() noexcept {
    if (mWindow != nullptr) {
        RevokeDragDrop(mWindow);
        mWindow = nullptr;
    }
    if (mOwner.mDropTarget == this) {
        mOwner.mDropTarget = nullptr;
    }
}

#include "framework/Application.h"

#include "foundation/logging/Log.h"
#include "framework/ErrorSink.h"
#include "framework/Form.h"
#include "framework/HintWindow.h"
#include "framework/Window.h"

#include <ole2.h>

TApplication* Application = nullptr;

namespace {

constexpr wchar_t ApplicationWindowClass[] = L"TApplication";
// Posted to the application window: show the error box that a failed handler left pending.
constexpr UINT WM_SHOW_PENDING_ERROR = WM_APP + 0x3F00;

} // namespace

TApplication::TApplication() {
    if (Application == nullptr) {
        Application = this;
        SetExceptionHandler([this] { HandleException(); });
        TForm::SetHost(this);
    }
}

TApplication::~TApplication() {
    while (!mForms.empty()) {
        std::unique_ptr<TForm> form = std::move(mForms.back());
        mForms.pop_back();
        if (form.get() == mMainForm) {
            mMainForm = nullptr;
        }
        form->Destroy();
        form.reset();
    }
    mHintWindow.reset();
    if (mHandle != nullptr) {
        SetWindowLongPtrW(mHandle, GWLP_USERDATA, 0);
        DestroyWindow(mHandle);
    }
    if (mOleInitialized) {
        OleUninitialize();
    }
    if (Application == this) {
        Application = nullptr;
        SetExceptionHandler(nullptr);
        TForm::SetHost(nullptr);
        TWindow::SetDefaultOwner(nullptr);
    }
}

void TApplication::Initialize() {
    if (!mOleInitialized) {
        mOleInitialized = SUCCEEDED(OleInitialize(nullptr));
    }
    if (mHandle != nullptr) {
        return;
    }
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = ApplicationWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = ApplicationWindowClass;
    windowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    RegisterClassExW(&windowClass);
    mHandle = CreateWindowExW(WS_EX_TOOLWINDOW, ApplicationWindowClass, Title.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    if (mHandle != nullptr) {
        SetWindowLongPtrW(mHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    if (Application == this) {
        TWindow::SetDefaultOwner(mHandle);
    }
}

void TApplication::AdoptForm(std::unique_ptr<TForm> form) {
    TForm* created = form.get();
    mForms.push_back(std::move(form));
    if (mMainForm == nullptr) {
        mMainForm = created;
    }
    created->AfterConstruction();
}

void TApplication::Run() {
    if (mMainForm != nullptr && !mTerminated) {
        mMainForm->Show();
    }
    MSG message;
    while (!mTerminated) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            break;
        }
        ProcessMessage(message);
    }
    mTerminated = true;
}

void TApplication::Terminate() {
    if (!mTerminated) {
        PostQuitMessage(0);
    }
}

void TApplication::HandleException() noexcept {
    try {
        const std::exception_ptr current = std::current_exception();
        if (!current) {
            return;
        }
        std::wstring message;
        try {
            std::rethrow_exception(current);
        } catch (...) {
            message = CurrentExceptionMessage();
        }
        LOG_ERR("TApplication::HandleException", message);
        if (OnException) {
            try {
                OnException(current);
            } catch (...) {
                LOG_ERR("TApplication::HandleException",
                        L"The exception handler failed: " << CurrentExceptionMessage());
            }
            return;
        }
        if (mErrorBoxPending || mErrorBoxOpen || mHandle == nullptr) {
            return;
        }
        mPendingError = message;
        mErrorBoxPending = PostMessageW(mHandle, WM_SHOW_PENDING_ERROR, 0, 0) != FALSE;
    } catch (...) {
        // Not even the log could take it; the loop goes on regardless.
    }
}

void TApplication::ShowPendingError() noexcept {
    if (!mErrorBoxPending) {
        return;
    }
    mErrorBoxPending = false;
    ShowException(Exception(std::move(mPendingError)));
    mPendingError.clear();
}

void TApplication::ShowException(const Exception& exception) noexcept {
    if (mErrorBoxOpen) {
        return;
    }
    mErrorBoxOpen = true;
    MessageBoxW(GetActiveWindow(), exception.Message().c_str(), Title.c_str(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    mErrorBoxOpen = false;
}

HWND TApplication::FormOwner(const TForm& form) const {
    // The main form has a taskbar button of its own when MainFormOnTaskBar is set.
    if (MainFormOnTaskBar && &form == mMainForm) {
        return nullptr;
    }
    return mHandle;
}

THintWindow& TApplication::HintWindow() {
    if (!mHintWindow) {
        mHintWindow = std::make_unique<THintWindow>();
    }
    return *mHintWindow;
}

void TApplication::HookMainWindow(MessageHook hook) {
    mHooks.push_back(std::move(hook));
}

LRESULT CALLBACK TApplication::ApplicationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* application = reinterpret_cast<TApplication*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (application != nullptr) {
        if (message == WM_SHOW_PENDING_ERROR) {
            application->ShowPendingError();
            return 0;
        }
        LRESULT previewed = 0;
        if (TWindow::PreviewMessage(message, wParam, lParam, previewed)) {
            return previewed;
        }
        try {
            // By index and by copy: a hook may add hooks while it runs.
            for (std::size_t i = 0; i < application->mHooks.size(); ++i) {
                const MessageHook hook = application->mHooks[i];
                LRESULT result = 0;
                if (hook(message, wParam, lParam, result)) {
                    return result;
                }
            }
        } catch (...) {
            application->HandleException();
            return 0;
        }
        if (message == WM_APPLICATION_ACTIVATE || message == WM_APPLICATION_DEACTIVATE) {
            // A copy: the handler may replace itself.
            const auto handler =
                message == WM_APPLICATION_ACTIVATE ? application->OnActivate : application->OnDeactivate;
            if (handler) {
                Guarded(handler);
            }
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

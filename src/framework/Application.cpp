#include "framework/Application.h"

#include "foundation/common/Utf8.h"
#include "foundation/logging/Log.h"
#include "framework/Form.h"

#include <ole2.h>

TApplication* Application = nullptr;

namespace {
constexpr wchar_t ApplicationWindowClass[] = L"TApplication";
}

TApplication::TApplication() {
    if (Application == nullptr) {
        Application = this;
    }
}

TApplication::~TApplication() {
    while (!mForms.empty()) {
        std::unique_ptr<TForm> form = std::move(mForms.back());
        mForms.pop_back();
        if (form.get() == mMainForm) {
            mMainForm = nullptr;
        }
        form->BeforeDestruction();
        form.reset();
    }
    if (mHandle != nullptr) {
        DestroyWindow(mHandle);
    }
    if (mOleInitialized) {
        OleUninitialize();
    }
    if (Application == this) {
        Application = nullptr;
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
    mHandle = CreateWindowExW(WS_EX_TOOLWINDOW, ApplicationWindowClass, Title.c_str(), WS_POPUP, 0, 0, 0, 0,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (mHandle != nullptr) {
        SetWindowLongPtrW(mHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
}

void TApplication::AdoptForm(std::unique_ptr<TForm> form) {
    TForm* created = form.get();
    mForms.push_back(std::move(form));
    created->AfterConstruction();
    if (mMainForm == nullptr) {
        mMainForm = created;
    }
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
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    mTerminated = true;
}

void TApplication::Terminate() {
    if (!mTerminated) {
        PostQuitMessage(0);
    }
}

void TApplication::HandleException() {
    const std::exception_ptr current = std::current_exception();
    if (!current) {
        return;
    }
    try {
        std::rethrow_exception(current);
    } catch (const Exception& e) {
        LOG_ERR("TApplication::HandleException", e.Message());
        if (OnException) {
            OnException(current);
        } else {
            ShowException(e);
        }
    } catch (const std::exception& e) {
        const Exception shown(Tessel::Common::Utf8ToUtf16(e.what()));
        LOG_ERR("TApplication::HandleException", shown.Message());
        if (OnException) {
            OnException(current);
        } else {
            ShowException(shown);
        }
    } catch (...) {
        LOG_ERR("TApplication::HandleException", Tessel::Common::Logging::UnknownExceptionMessage);
        if (OnException) {
            OnException(current);
        } else {
            ShowException(Exception(L""));
        }
    }
}

void TApplication::ShowException(const Exception& exception) {
    HWND owner = GetActiveWindow();
    MessageBoxW(owner, exception.Message().c_str(), Title.c_str(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

void TApplication::HookMainWindow(MessageHook hook) {
    mHooks.push_back(std::move(hook));
}

LRESULT CALLBACK TApplication::ApplicationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* application = reinterpret_cast<TApplication*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (application != nullptr) {
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
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

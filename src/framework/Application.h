#pragma once

#include "foundation/lang/Exception.h"
#include "framework/FormHost.h"

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TForm;
class THintWindow;

// Posted to the application window when the application becomes active or inactive; they
// raise TApplication::OnActivate and OnDeactivate.
constexpr UINT WM_APPLICATION_ACTIVATE = 0xB000;
constexpr UINT WM_APPLICATION_DEACTIVATE = 0xB001;

// The application object: the hidden application window, the forms it owns, the message loop
// and the default exception handler. One per process; `Application` points at it. It hosts every
// form (TFormHost), handles what HandleCurrentException is given, and its window is the default
// owner of top-level windows (TWindow::DefaultOwner).
class TApplication : public TFormHost {
public:
    TApplication();
    // Destroys the forms, the most recently created first, so the main form goes last.
    ~TApplication() override;

    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Initialises OLE on this thread and creates the hidden application window.
    void Initialize();

    // Creates a form owned by the application. The first form created becomes the main form:
    // closing it ends the message loop.
    template <typename T, typename... Args> T* CreateForm(Args&&... args) {
        auto form = std::make_unique<T>(std::forward<Args>(args)...);
        T* created = form.get();
        AdoptForm(std::move(form));
        return created;
    }

    // Shows the main form and dispatches messages until Terminate.
    void Run();
    void Terminate() override;
    bool Terminated() const { return mTerminated; }

    // Handles the exception being caught. It always logs; then OnException gets it when set,
    // otherwise its message is shown in a box, but never from inside the failing message: the box
    // is posted to the application window and comes up once that message has returned. At most
    // one box is open at a time; a failure while one is pending or open is only logged. Nothing
    // ever leaves this function.
    void HandleException() noexcept;
    // Shows a message box with the exception's message now (used outside any message handler,
    // and where the user must see the error before going on).
    void ShowException(const Exception& exception) noexcept;
    // Whether an error box is open or about to open.
    bool ErrorBoxPending() const { return mErrorBoxPending || mErrorBoxOpen; }

    TForm* MainForm() const override { return mMainForm; }
    HWND Handle() const { return mHandle; }
    // The application window, except for a main form with a taskbar button of its own.
    HWND FormOwner(const TForm& form) const override;
    // The one hint window of the application, made when first asked for.
    THintWindow& HintWindow();
    THintWindow* ControlHintWindow() override { return &HintWindow(); }

    // A hook sees every message of the hidden application window first; returning true
    // (with the result set) ends its handling.
    using MessageHook = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
    void HookMainWindow(MessageHook hook);

    // Replaces the default handling (showing the message) of exceptions caught by the loop.
    std::function<void(std::exception_ptr)> OnException;
    // Raised when WM_APPLICATION_ACTIVATE and WM_APPLICATION_DEACTIVATE reach the application
    // window (a hook turns the system's activation messages into them).
    std::function<void()> OnActivate;
    std::function<void()> OnDeactivate;

    // The main form gets a taskbar button of its own instead of belonging to the hidden
    // application window; set before the main form is created.
    bool MainFormOnTaskBar = false;
    std::wstring Title = L"Tilebay";

private:
    void AdoptForm(std::unique_ptr<TForm> form);
    void ShowPendingError() noexcept;
    static LRESULT CALLBACK ApplicationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    HWND mHandle = nullptr;
    bool mOleInitialized = false;
    bool mTerminated = false;
    TForm* mMainForm = nullptr;
    std::vector<std::unique_ptr<TForm>> mForms;
    std::unique_ptr<THintWindow> mHintWindow;
    std::vector<MessageHook> mHooks;
    std::wstring mPendingError;
    bool mErrorBoxPending = false;
    bool mErrorBoxOpen = false;
};

extern TApplication* Application;

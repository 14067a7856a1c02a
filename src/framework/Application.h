#pragma once

#include "foundation/common/Exception.h"

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TForm;

// The application object: the hidden application window, the forms it owns, the message loop
// and the default exception handler. One per process; `Application` points at it.
class TApplication {
public:
    TApplication();
    // Destroys the forms, the most recently created first, so the main form goes last.
    ~TApplication();

    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Initialises OLE on this thread and creates the hidden application window.
    void Initialize();

    // Creates a form owned by the application. The first form created becomes the main form:
    // closing it ends the message loop.
    template <typename T, typename... Args>
    T* CreateForm(Args&&... args) {
        auto form = std::make_unique<T>(std::forward<Args>(args)...);
        T* created = form.get();
        AdoptForm(std::move(form));
        return created;
    }

    // Shows the main form and dispatches messages until Terminate.
    void Run();
    void Terminate();
    bool Terminated() const { return mTerminated; }

    // Handles the exception being caught: logs it, then hands it to OnException when set,
    // otherwise shows it. Called by the window procedures, so the loop keeps running.
    void HandleException();
    void ShowException(const Exception& exception);

    // Finds the first owned form of the given type.
    template <typename T>
    T* FindForm() const {
        for (const auto& form : mForms) {
            if (auto* found = dynamic_cast<T*>(form.get())) {
                return found;
            }
        }
        return nullptr;
    }

    TForm* MainForm() const { return mMainForm; }
    HWND Handle() const { return mHandle; }

    // A hook sees every message of the hidden application window first; returning true
    // (with the result set) ends its handling.
    using MessageHook = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
    void HookMainWindow(MessageHook hook);

    // Replaces the default handling (showing the message) of exceptions caught by the loop.
    std::function<void(std::exception_ptr)> OnException;

    bool MainFormOnTaskBar = false;
    std::wstring Title = L"Tilebay";

private:
    void AdoptForm(std::unique_ptr<TForm> form);
    static LRESULT CALLBACK ApplicationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND mHandle = nullptr;
    bool mOleInitialized = false;
    bool mTerminated = false;
    TForm* mMainForm = nullptr;
    std::vector<std::unique_ptr<TForm>> mForms;
    std::vector<MessageHook> mHooks;
};

extern TApplication* Application;

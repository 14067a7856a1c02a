#include "framework/Form.h"
#include "framework/Application.h"
#include "framework/HintWindow.h"
#include "support/LogCapture.h"
#include "support/PumpMessages.h"

#include <ole2.h>

#include "support/CollectExceptions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

using ::testing::ElementsAre;

namespace {

constexpr UINT WM_TEST_THROW = WM_APP + 1;
constexpr UINT WM_TEST_CLOSE_SELF = WM_APP + 2;

// Records what happens to it, in order, into a shared journal.
class JournalForm : public TForm {
public:
    JournalForm(std::vector<std::string>& journal, std::string name) : mJournal(journal), mName(std::move(name)) {}
    ~JournalForm() override { mJournal.push_back(mName + ".destructor"); }

    bool allowClose = true;

protected:
    void CreateParams(TCreateParams& params) override {
        params.style = WS_POPUP;
        params.x = 10;
        params.y = 10;
        params.width = 200;
        params.height = 100;
        params.windowClassName = L"TJournalForm";
    }
    void FormCreate() override { Note("create"); }
    void FormShow() override { Note("show"); }
    void FormClick() override { Note("click"); }
    void FormMouseDown(TMouseButton, TShiftState, int x, int y) override { Note("down " + Point(x, y)); }
    void FormMouseUp(TMouseButton, TShiftState, int x, int y) override { Note("up " + Point(x, y)); }
    void FormCloseQuery(bool& canClose) override {
        Note("closequery");
        canClose = allowClose;
    }
    void FormClose(TCloseAction&) override { Note("close"); }
    void FormDestroy() override { Note("destroy"); }
    bool PreDispatch(UINT message, WPARAM, LPARAM, LRESULT&) override {
        if (message == WM_TEST_THROW) {
            throw std::runtime_error("handler failed");
        }
        if (message == WM_TEST_CLOSE_SELF) {
            Close();
            return true;
        }
        return false;
    }

private:
    static std::string Point(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    void Note(const std::string& what) { mJournal.push_back(mName + "." + what); }

    std::vector<std::string>& mJournal;
    std::string mName;
};

// Runs the loop with a watchdog, so a loop that never ends fails the test instead of hanging it.
void RunWithWatchdog(TApplication& application, UINT milliseconds = 10000) {
    const UINT_PTR watchdog = SetTimer(nullptr, 0, milliseconds, [](HWND, UINT, UINT_PTR, DWORD) {
        ADD_FAILURE() << "the message loop did not end";
        PostQuitMessage(0);
    });
    application.Run();
    KillTimer(nullptr, watchdog);
}

} // namespace

TEST(TApplication, ClosingTheMainFormEndsTheLoopAndFormsGoNewestFirst) {
    std::vector<std::string> journal;
    {
        TApplication application;
        application.Initialize();
        JournalForm* main = application.CreateForm<JournalForm>(journal, "main");
        application.CreateForm<JournalForm>(journal, "panel");
        EXPECT_EQ(application.MainForm(), main);
        PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
        RunWithWatchdog(application);
        journal.push_back("loop ended");
    }
    EXPECT_THAT(journal,
                ElementsAre("main.create", "panel.create", "main.show", "main.closequery", "main.close", "loop ended",
                            "panel.destroy", "panel.destructor", "main.destroy", "main.destructor"));
}

TEST(TApplication, RefusedCloseKeepsTheApplicationRunning) {
    std::vector<std::string> journal;
    TApplication application;
    application.Initialize();
    JournalForm* main = application.CreateForm<JournalForm>(journal, "main");
    main->allowClose = false;
    SendMessageW(main->Handle(), WM_CLOSE, 0, 0);
    SendMessageW(main->Handle(), WM_TEST_CLOSE_SELF, 0, 0);
    EXPECT_FALSE(application.Terminated());
    main->allowClose = true;
    PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
    RunWithWatchdog(application);
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "main.closequery"), 3);
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "main.close"), 1);
}

TEST(TApplication, ClosingAnotherFormOnlyHidesIt) {
    std::vector<std::string> journal;
    TApplication application;
    application.Initialize();
    JournalForm* main = application.CreateForm<JournalForm>(journal, "main");
    JournalForm* panel = application.CreateForm<JournalForm>(journal, "panel");
    panel->Show();
    ASSERT_TRUE(panel->Visible());
    SendMessageW(panel->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(panel->Visible());
    EXPECT_NE(panel->Handle(), nullptr);
    EXPECT_FALSE(application.Terminated());
    PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
    RunWithWatchdog(application);
}

TEST(TApplication, ExceptionInAHandlerIsHandedOnAndTheLoopGoesOn) {
    std::vector<std::string> journal;
    TApplication application;
    application.Initialize();
    std::vector<std::string> caught;
    TestSupport::CollectExceptions(application, caught);
    JournalForm* main = application.CreateForm<JournalForm>(journal, "main");
    PostMessageW(main->Handle(), WM_TEST_THROW, 0, 0);
    PostMessageW(main->Handle(), WM_TEST_THROW, 0, 0);
    PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
    RunWithWatchdog(application);
    EXPECT_THAT(caught, ElementsAre("handler failed", "handler failed"));
    EXPECT_EQ(journal.back(), "main.close");
}

TEST(TForm, ClickComesBeforeTheReleaseAndOnlyOverTheForm) {
    std::vector<std::string> journal;
    TApplication application;
    application.Initialize();
    JournalForm* form = application.CreateForm<JournalForm>(journal, "f");
    journal.clear();
    SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 30));
    SendMessageW(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(21, 30));
    SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 30));
    SendMessageW(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(500, 30));
    SendMessageW(form->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    SendMessageW(form->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_THAT(journal, ElementsAre("f.down 20,30", "f.click", "f.up 21,30", "f.down 20,30", "f.up 500,30",
                                     "f.down 5,5", "f.up 5,5"));
}

TEST(TApplication, ItsWindowOwnsTheFormsAndTheHintExceptAMainFormOnTheTaskBar) {
    struct Case {
        bool mainFormOnTaskBar;
        bool mainFormOwned;
    };
    for (const Case& c : {Case{false, true}, Case{true, false}}) {
        std::vector<std::string> journal;
        TApplication application;
        application.MainFormOnTaskBar = c.mainFormOnTaskBar;
        application.Initialize();
        EXPECT_EQ(TWindow::DefaultOwner(), application.Handle());
        JournalForm* main = application.CreateForm<JournalForm>(journal, "main");
        JournalForm* panel = application.CreateForm<JournalForm>(journal, "panel");
        EXPECT_EQ(GetWindow(main->Handle(), GW_OWNER), c.mainFormOwned ? application.Handle() : nullptr);
        EXPECT_EQ(GetWindow(panel->Handle(), GW_OWNER), application.Handle());
        THintWindow& hint = application.HintWindow();
        hint.ActivateHint(L"Add a new group", POINT{10, 10});
        EXPECT_EQ(GetWindow(hint.Handle(), GW_OWNER), application.Handle());
    }
    EXPECT_EQ(TWindow::DefaultOwner(), nullptr) << "gone with the application";

    std::vector<std::string> journal;
    JournalForm alone(journal, "alone");
    alone.AfterConstruction();
    EXPECT_EQ(GetWindow(alone.Handle(), GW_OWNER), nullptr) << "a form without an application stands alone";
    alone.Destroy();
}

namespace {

constexpr UINT WM_TEST_PREVIEW = WM_APP + 3;

std::vector<std::string>* gPreviewJournal = nullptr;

// Takes the test messages with an odd wParam, answering 7; lets the others through.
bool PreviewOddTestMessages(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_TEST_PREVIEW) {
        return false;
    }
    gPreviewJournal->push_back("preview " + std::to_string(wParam));
    if (wParam % 2 == 0) {
        return false;
    }
    result = 7;
    return true;
}

// A bare window that notes the test messages that reach it and answers 1.
class RecordingWindow : public TWindow {
public:
    explicit RecordingWindow(std::vector<std::string>& journal) : mJournal(journal) {
        RegisterWindowClass(L"TRecordingWindow");
        CreateWindowHandle(0, L"TRecordingWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr);
    }

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TEST_PREVIEW) {
            mJournal.push_back("window " + std::to_string(wParam));
            return 1;
        }
        return DefaultHandler(message, wParam, lParam);
    }

private:
    std::vector<std::string>& mJournal;
};

} // namespace

TEST(TWindow, MessagePreviewersSeeEveryWindowsMessagesFirstUntilRemoved) {
    std::vector<std::string> journal;
    gPreviewJournal = &journal;
    TApplication application;
    application.Initialize();
    RecordingWindow window(journal);
    struct RemoveOnExit {
        ~RemoveOnExit() { TWindow::RemoveMessagePreviewer(PreviewOddTestMessages); }
    } removeOnExit;
    TWindow::AddMessagePreviewer(PreviewOddTestMessages);
    TWindow::AddMessagePreviewer(PreviewOddTestMessages);

    EXPECT_EQ(SendMessageW(window.Handle(), WM_TEST_PREVIEW, 1, 0), 7);
    EXPECT_EQ(SendMessageW(window.Handle(), WM_TEST_PREVIEW, 2, 0), 1);
    EXPECT_EQ(SendMessageW(application.Handle(), WM_TEST_PREVIEW, 3, 0), 7) << "the application window's too";
    TWindow::RemoveMessagePreviewer(PreviewOddTestMessages);
    EXPECT_EQ(SendMessageW(window.Handle(), WM_TEST_PREVIEW, 5, 0), 1);
    EXPECT_THAT(journal, ElementsAre("preview 1", "preview 2", "window 2", "preview 3", "window 5"))
        << "a previewer added twice sees each message once";
}

namespace {

// The message boxes open on this thread.
int OpenBoxCount() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM counter) -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(window, name, 32);
            if (std::wstring(name) == L"#32770" && IsWindowVisible(window)) {
                ++*reinterpret_cast<int*>(counter);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

void CloseOpenBoxes() {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(window, name, 32);
            if (std::wstring(name) == L"#32770") {
                PostMessageW(window, WM_COMMAND, IDOK, 0);
            }
            return TRUE;
        },
        0);
}

// A form with a timer whose handler fails every time.
class FailingTimerForm : public TForm {
public:
    FailingTimerForm() {
        mTimer.OnTimer = [this] {
            if (failing) {
                ++failures;
                throw std::runtime_error("tick failed");
            }
        };
    }
    bool failing = true;
    int failures = 0;

protected:
    void CreateParams(TCreateParams& params) override {
        params.style = WS_POPUP;
        params.windowClassName = L"TFailingTimerForm";
    }

private:
    TTimer mTimer{*this, 10};
};

} // namespace

TEST(TApplication, AFailingTimerOpensAtMostOneBoxAndEveryFailureIsLogged) {
    TestSupport::LogCapture log;
    // Outlives the application, whose end destroys the watcher form that writes to it.
    std::vector<std::string> journal;
    TApplication application;
    application.Initialize();
    auto* form = application.CreateForm<FailingTimerForm>();
    int mostBoxes = 0;
    int samples = 0;
    DWORD start = GetTickCount();
    // Watches from outside the failing form: how many boxes are open, for two seconds; then
    // stops the failures, closes the boxes and ends the loop.
    TForm* watcherOwner = application.CreateForm<JournalForm>(journal, "watcher");
    TTimer watcher(*watcherOwner, 50);
    watcher.OnTimer = [&] {
        mostBoxes = std::max(mostBoxes, OpenBoxCount());
        ++samples;
        if (GetTickCount() - start > 2000) {
            form->failing = false;
            if (OpenBoxCount() > 0) {
                CloseOpenBoxes();
            } else {
                watcher.SetEnabled(false);
                PostMessageW(application.MainForm()->Handle(), WM_CLOSE, 0, 0);
            }
        }
    };
    RunWithWatchdog(application, 20000);
    EXPECT_GT(samples, 10) << "the loop kept running while the box was open";
    EXPECT_EQ(mostBoxes, 1);
    EXPECT_GT(form->failures, 20);
    const auto messages = log.Messages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), L"tick failed"), form->failures);
}

TEST(TApplication, AnExceptionHandlerThatFailsDoesNotEndTheProgram) {
    TestSupport::LogCapture log;
    std::vector<std::string> journal;
    TApplication application;
    application.Initialize();
    application.OnException = [](std::exception_ptr) { throw std::runtime_error("handler of handlers failed"); };
    JournalForm* main = application.CreateForm<JournalForm>(journal, "main");
    PostMessageW(main->Handle(), WM_TEST_THROW, 0, 0);
    PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
    RunWithWatchdog(application);
    EXPECT_EQ(journal.back(), "main.close");
    const std::wstring text = log.Text();
    EXPECT_NE(text.find(L"handler failed"), std::wstring::npos);
    EXPECT_NE(text.find(L"handler of handlers failed"), std::wstring::npos);
}

namespace {

// A drop target that notes when OLE lets go of it, and whether the window's timer was still set then.
class JournalDropTarget : public IDropTarget {
public:
    JournalDropTarget(std::vector<std::string>& journal, HWND& window, UINT_PTR& timerId)
        : mJournal(journal), mWindow(window), mTimerId(timerId) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IDropTarget) {
            *out = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++mRefs; }
    ULONG STDMETHODCALLTYPE Release() override {
        if (--mRefs == 0) {
            // KillTimer fails when the timer is gone already.
            mJournal.push_back(KillTimer(mWindow, mTimerId) ? "revoked with the timer running" : "revoked");
        }
        return mRefs;
    }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }

private:
    std::vector<std::string>& mJournal;
    HWND& mWindow;
    UINT_PTR& mTimerId;
    ULONG mRefs = 0;
};

class TeardownForm : public TForm {
public:
    explicit TeardownForm(std::vector<std::string>& journal)
        : mJournal(journal), mDropTarget(journal, mWindow, mTimerId) {}

    bool registered = false;

protected:
    void CreateParams(TCreateParams& params) override {
        params.style = WS_POPUP;
        params.windowClassName = L"TTeardownForm";
    }
    void FormCreate() override {
        mWindow = Handle();
        registered = SUCCEEDED(mRegistration.Register(&mDropTarget));
        mTimerId = mTimer.Id();
    }
    void FormDestroy() override { mJournal.push_back("FormDestroy"); }
    bool PreDispatch(UINT message, WPARAM, LPARAM, LRESULT&) override {
        if (message == WM_DESTROY) {
            mJournal.push_back(KillTimer(mWindow, mTimerId) ? "WM_DESTROY (timer was running)" : "WM_DESTROY");
            // Put it back: the owner must still end it.
            SetTimer(mWindow, mTimerId, 10000, nullptr);
        }
        return false;
    }

private:
    std::vector<std::string>& mJournal;
    HWND mWindow = nullptr;
    UINT_PTR mTimerId = 0;
    TTimer mTimer{*this, 10000};
    JournalDropTarget mDropTarget;
    TDropTargetRegistration mRegistration{*this};
};

} // namespace

TEST(TForm, DestructionEndsTheWindowsResourcesInOrderWhileTheFormIsWhole) {
    std::vector<std::string> journal;
    TApplication application;
    application.Initialize();
    auto* main = application.CreateForm<JournalForm>(journal, "main");
    auto form = std::make_unique<TeardownForm>(journal);
    form->AfterConstruction();
    ASSERT_TRUE(form->registered);
    const HWND window = form->Handle();
    journal.clear();
    form->Destroy();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(form->Handle(), nullptr);
    EXPECT_THAT(journal, ElementsAre("FormDestroy", "WM_DESTROY (timer was running)", "revoked"));
    form.reset();
    PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
    RunWithWatchdog(application);
}

namespace {

// Turns the system's activation message into the application's own messages, as the program's
// main window does.
void HookActivation(TApplication& application) {
    application.HookMainWindow([&application](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        if (message != WM_ACTIVATEAPP) {
            return false;
        }
        PostMessageW(application.Handle(), wParam ? WM_APPLICATION_ACTIVATE : WM_APPLICATION_DEACTIVATE, 0, 0);
        result = 0;
        return true;
    });
}

} // namespace

using TestSupport::PumpUntil;

TEST(TApplication, ActivationMessagesRaiseTheActivationEvents) {
    std::vector<std::string> journal;
    TApplication application;
    application.Initialize();
    std::vector<std::string> caught;
    TestSupport::CollectExceptions(application, caught);
    HookActivation(application);
    application.OnActivate = [&] { journal.push_back("activate"); };
    application.OnDeactivate = [&] { journal.push_back("deactivate"); };
    SendMessageW(application.Handle(), WM_ACTIVATEAPP, FALSE, 0);
    SendMessageW(application.Handle(), WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_TRUE(journal.empty()) << "raised from the posted messages, not inside the system's";
    ASSERT_TRUE(PumpUntil(
        application, [&] { return journal.size() == 2; }, 3000));
    EXPECT_THAT(journal, ElementsAre("deactivate", "activate"));

    application.OnDeactivate = [] { throw std::runtime_error("deactivate failed"); };
    SendMessageW(application.Handle(), WM_APPLICATION_DEACTIVATE, 0, 0);
    SendMessageW(application.Handle(), WM_APPLICATION_ACTIVATE, 0, 0);
    EXPECT_THAT(caught, ElementsAre("deactivate failed"));
    EXPECT_EQ(journal.back(), "activate");
}

TEST(TApplication, AnotherProgramTakingTheForegroundDeactivatesTheApplication) {
    std::vector<std::string> journal;
    TApplication application;
    application.Initialize();
    HookActivation(application);
    application.OnActivate = [&] { journal.push_back("activate"); };
    application.OnDeactivate = [&] { journal.push_back("deactivate"); };
    JournalForm* main = application.CreateForm<JournalForm>(journal, "main");
    main->Show();
    // Other test programs may share the display: ask again until the form has the foreground.
    ASSERT_TRUE(PumpUntil(
        application,
        [&] {
            SetForegroundWindow(main->Handle());
            return GetForegroundWindow() == main->Handle();
        },
        5000));
    PumpUntil(
        application, [] { return false; }, 200);
    journal.clear();

    // Another process's window comes up and takes the foreground.
    wchar_t command[] = L"notepad.exe";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    WaitForInputIdle(process.hProcess, 10000);
    const bool deactivated = PumpUntil(
        application, [&] { return !journal.empty(); }, 10000);
    const HWND other = GetForegroundWindow();
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_TRUE(deactivated) << "foreground now " << other;
    EXPECT_EQ(journal.front(), "deactivate");

    EXPECT_TRUE(PumpUntil(
        application,
        [&] {
            SetForegroundWindow(main->Handle());
            return journal.back() == "activate";
        },
        5000));
}

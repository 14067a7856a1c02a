#include "framework/Application.h"
#include "framework/Form.h"

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
    EXPECT_THAT(journal, ElementsAre("main.create", "panel.create", "main.show", "main.closequery", "main.close",
                                     "loop ended", "panel.destroy", "panel.destructor", "main.destroy",
                                     "main.destructor"));
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
    application.OnException = [&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& ex) {
            caught.push_back(ex.what());
        }
    };
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

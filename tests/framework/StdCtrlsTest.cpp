#include "framework/StdCtrls.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Form.h"

#include "support/CollectExceptions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using ::testing::ElementsAre;

namespace {

// A small dialog: a number box with arrows, a check box, OK (default) and Cancel.
class DialogForm : public TForm {
public:
    DialogForm() {
        edit.SetBounds(10, 10, 60, 21);
        upDown.SetBounds(70, 10, 16, 21);
        upDown.SetRange(1, 500);
        upDown.SetAssociate(&edit);
        check.SetBounds(10, 40, 120, 17);
        check.SetText(L"C&heck");
        ok.SetBounds(10, 70, 75, 25);
        ok.SetText(L"&OK");
        ok.SetDefault(true);
        ok.ModalResult = TModalResult::mrOk;
        ok.OnClick = [this] {
            clicks.push_back("ok");
            if (failOk) {
                throw std::runtime_error("cannot store");
            }
        };
        cancel.SetBounds(95, 70, 75, 25);
        cancel.SetText(L"&Cancel");
        cancel.SetCancel(true);
        cancel.ModalResult = TModalResult::mrCancel;
        cancel.OnClick = [this] { clicks.push_back("cancel"); };
        SetActiveControl(&edit);
    }

    TEdit edit{*this};
    TUpDown upDown{*this};
    TCheckBox check{*this};
    TButton ok{*this};
    TButton cancel{*this};
    std::vector<std::string> clicks;
    bool failOk = false;

protected:
    void CreateParams(TCreateParams& params) override {
        params.windowClassName = L"TDialogTestForm";
        params.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        params.x = 100;
        params.y = 100;
        params.width = 260;
        params.height = 160;
    }
};

class PlainForm : public TForm {
protected:
    void CreateParams(TCreateParams& params) override {
        params.windowClassName = L"TPlainTestForm";
        params.style = WS_POPUP;
        params.x = 0;
        params.y = 0;
        params.width = 50;
        params.height = 50;
    }
};

// Steps run one after the other from a timer while a modal loop runs; a loop still running
// after all of them (and a while) fails the test and is cancelled.
std::vector<std::function<void()>>* gSteps = nullptr;
std::size_t gNextStep = 0;
TForm* gModalForm = nullptr;

TModalResult ShowModalWith(TForm& form, std::vector<std::function<void()>> steps) {
    gSteps = &steps;
    gNextStep = 0;
    gModalForm = &form;
    const UINT_PTR timer = SetTimer(nullptr, 0, 60, [](HWND, UINT, UINT_PTR, DWORD) {
        if (gNextStep < gSteps->size()) {
            (*gSteps)[gNextStep++]();
        } else if (++gNextStep > gSteps->size() + 100) {
            ADD_FAILURE() << "the modal loop did not end";
            gModalForm->SetModalResult(TModalResult::mrCancel);
        }
    });
    const TModalResult result = form.ShowModal();
    KillTimer(nullptr, timer);
    gSteps = nullptr;
    return result;
}

// A key pressed on the keyboard reaches the window with the focus.
void PressKey(WPARAM key) {
    const HWND focus = GetFocus();
    PostMessageW(focus, WM_KEYDOWN, key, 1);
    PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
}

HWND Focus() {
    return GetFocus();
}

struct ApplicationFixture : ::testing::Test {
    ApplicationFixture() { application.Initialize(); }
    TApplication application;
};

using TUpDownTest = ApplicationFixture;
using ModalFormTest = ApplicationFixture;

} // namespace

TEST_F(TUpDownTest, PositionIsTheTypedTextOnlyWhileThatIsANumberOfTheRange) {
    DialogForm form;
    form.AfterConstruction();
    form.upDown.SetPosition(42);
    EXPECT_EQ(form.edit.Text(), L"42");
    struct Case {
        const wchar_t* typed;
        int position;
    };
    // On the way to "900", "9" and "90" were numbers of the range: none of them is taken.
    for (const Case& c :
         {Case{L"7", 7}, Case{L"500", 500}, Case{L"007", 7}, Case{L"0", 42}, Case{L"501", 42}, Case{L"", 42},
          Case{L"12a", 42}, Case{L"-5", 42}, Case{L"9", 9}, Case{L"90", 90}, Case{L"900", 42}}) {
        form.edit.SetText(c.typed);
        EXPECT_EQ(form.upDown.Position(), c.position) << "typed " << testing::PrintToString(std::wstring(c.typed));
    }
    form.upDown.SetPosition(0);
    EXPECT_EQ(form.edit.Text(), L"1");
    form.upDown.SetPosition(800);
    EXPECT_EQ(form.edit.Text(), L"500");
    EXPECT_EQ(form.upDown.Position(), 500);
    form.Destroy();
}

TEST_F(TUpDownTest, TheArrowsAndLeavingTheBoxSetThePosition) {
    DialogForm form;
    form.AfterConstruction();
    form.Show();
    form.upDown.SetPosition(42);
    // The arrow keys in the box step from what it shows.
    form.edit.SetText(L"90");
    SendMessageW(form.edit.Handle(), WM_KEYDOWN, VK_UP, 1);
    EXPECT_EQ(form.edit.Text(), L"91");
    form.edit.SetText(L"900");
    EXPECT_EQ(form.upDown.Position(), 91);
    // A number of the range is the position once the box loses the focus; other text is put
    // back to the position.
    form.edit.SetFocus();
    form.edit.SetText(L"77");
    form.check.SetFocus();
    form.edit.SetText(L"7000");
    EXPECT_EQ(form.upDown.Position(), 77);
    form.edit.SetFocus();
    form.check.SetFocus();
    EXPECT_EQ(form.edit.Text(), L"77");
    form.Destroy();
}

TEST_F(ModalFormTest, DisablesTheOtherWindowsAndEndsWithTheResultOfThePressedButton) {
    PlainForm other;
    other.AfterConstruction();
    other.Show();
    DialogForm dialog;
    dialog.AfterConstruction();
    bool otherEnabledMeanwhile = true;
    const TModalResult result = ShowModalWith(dialog, {[&] {
                                                           otherEnabledMeanwhile = other.Enabled();
                                                           EXPECT_EQ(Focus(), dialog.edit.Handle());
                                                       },
                                                       [] { PressKey(VK_RETURN); }});
    EXPECT_EQ(result, TModalResult::mrOk);
    EXPECT_THAT(dialog.clicks, ElementsAre("ok"));
    EXPECT_FALSE(otherEnabledMeanwhile);
    EXPECT_TRUE(other.Enabled());
    EXPECT_FALSE(dialog.Visible());
    EXPECT_FALSE(dialog.Modal());
    dialog.Destroy();
    other.Destroy();
}

TEST_F(ModalFormTest, TabMovesTheFocusInOrderAndEnterPressesTheFocusedButton) {
    const auto shownAsDefault = [](const DialogForm& d) {
        std::string shown;
        for (const TButton* button : {&d.ok, &d.cancel}) {
            if ((GetWindowLongW(button->Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
                shown += button == &d.ok ? "ok" : "cancel";
            }
        }
        return shown;
    };
    DialogForm dialog;
    dialog.AfterConstruction();
    std::vector<HWND> focus;
    std::vector<std::string> defaults;
    const auto note = [&] {
        focus.push_back(Focus());
        defaults.push_back(shownAsDefault(dialog));
    };
    const auto tab = [] { PressKey(VK_TAB); };
    const TModalResult result = ShowModalWith(
        dialog, {note, tab, note, tab, note, tab, note, tab, note, tab, note, [] { PressKey(VK_RETURN); }});
    // The arrows take no focus of their own; a push button with the focus shows as the default.
    EXPECT_THAT(focus, ElementsAre(dialog.edit.Handle(), dialog.check.Handle(), dialog.ok.Handle(),
                                   dialog.cancel.Handle(), dialog.edit.Handle(), dialog.check.Handle()));
    EXPECT_THAT(defaults, ElementsAre("ok", "ok", "ok", "cancel", "ok", "ok"));
    // Enter on the check box presses the default button.
    EXPECT_EQ(result, TModalResult::mrOk);
    EXPECT_THAT(dialog.clicks, ElementsAre("ok"));
    dialog.Destroy();

    DialogForm second;
    second.AfterConstruction();
    const TModalResult cancelled =
        ShowModalWith(second, {[&] { second.cancel.SetFocus(); }, [] { PressKey(VK_RETURN); }});
    EXPECT_EQ(cancelled, TModalResult::mrCancel);
    EXPECT_THAT(second.clicks, ElementsAre("cancel"));
    second.Destroy();
}

TEST_F(ModalFormTest, EscapeClosingAndQuittingCancel) {
    {
        DialogForm dialog;
        dialog.AfterConstruction();
        EXPECT_EQ(ShowModalWith(dialog, {[] { PressKey(VK_ESCAPE); }}), TModalResult::mrCancel);
        EXPECT_THAT(dialog.clicks, ElementsAre("cancel"));
        dialog.Destroy();
    }
    {
        DialogForm dialog;
        dialog.AfterConstruction();
        EXPECT_EQ(ShowModalWith(dialog, {[&] { PostMessageW(dialog.Handle(), WM_CLOSE, 0, 0); }}),
                  TModalResult::mrCancel);
        EXPECT_THAT(dialog.clicks, ElementsAre());
        EXPECT_FALSE(dialog.Visible());
        dialog.Destroy();
    }
    {
        DialogForm dialog;
        dialog.AfterConstruction();
        EXPECT_EQ(ShowModalWith(dialog, {[] { PostQuitMessage(3); }}), TModalResult::mrCancel);
        // The loop outside ends too.
        MSG quit{};
        EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(quit.wParam, 3u);
        dialog.Destroy();
    }
}

TEST_F(ModalFormTest, AButtonWhoseHandlerFailsLeavesTheFormOpen) {
    std::vector<std::string> caught;
    TestSupport::CollectExceptions(application, caught);
    DialogForm dialog;
    dialog.AfterConstruction();
    dialog.failOk = true;
    bool stillShown = false;
    const TModalResult result =
        ShowModalWith(dialog, {[] { PressKey(VK_RETURN); }, [&] { stillShown = dialog.Visible() && dialog.Modal(); },
                               [] { PressKey(VK_ESCAPE); }});
    EXPECT_EQ(result, TModalResult::mrCancel);
    EXPECT_TRUE(stillShown);
    EXPECT_THAT(caught, ElementsAre("cannot store"));
    EXPECT_THAT(dialog.clicks, ElementsAre("ok", "cancel"));
    dialog.Destroy();
}

TEST(TForm, ShowsModallyWithTheDialogKeysAlsoWithoutAnApplication) {
    struct Case {
        WPARAM key;
        TModalResult result;
        const char* click;
    };
    for (const Case& c :
         {Case{VK_RETURN, TModalResult::mrOk, "ok"}, Case{VK_ESCAPE, TModalResult::mrCancel, "cancel"}}) {
        DialogForm dialog;
        dialog.AfterConstruction();
        EXPECT_EQ(ShowModalWith(dialog, {[key = c.key] { PressKey(key); }}), c.result);
        EXPECT_THAT(dialog.clicks, ElementsAre(c.click));
        dialog.Destroy();
    }
}

TEST(Clipboard, TextPutOnItIsReadBackWhole) {
    const std::wstring text = L"support@tilebay.example \u00e9\u9009\u9879";
    ASSERT_TRUE(SetClipboardText(nullptr, text));
    EXPECT_EQ(GetClipboardText(nullptr), text);
    ASSERT_TRUE(SetClipboardText(nullptr, L""));
    EXPECT_EQ(GetClipboardText(nullptr), L"");
}

#include "forms/TOptionsForm.h"
#include "framework/Application.h"
#include "settings/IUserSettings.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <oleacc.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Settings in memory that count their saves.
class FakeSettings : public IUserSettings {
public:
    int height = 10;
    bool autoStart = true;
    int saves = 0;

    void GetMainFormSize(int& cx, int& cy) override { cx = cy = 0; }
    void SetMainFormSize(int, int) override {}
    void GetMainFormPos(int& x, int& y) override { x = y = 0; }
    void SetMainFormPos(int, int) override {}
    void GetStartButtonPos(int& x, int& y) override { x = y = 0; }
    void SetStartButtonPos(int, int) override {}
    bool GetIsDrawingReflectionEnabled() override { return false; }
    void SetIsDrawingReflectionEnabled(bool) override {}
    int GetFloatingButtonVisibleHeight() override { return height; }
    void SetFloatingButtonVisibleHeight(int value) override { height = value; }
    bool GetIsAutoStartEnabled() override { return autoStart; }
    void SetIsAutoStartEnabled(bool enabled) override { autoStart = enabled; }
    void Load() override {}
    void Save() override { ++saves; }
    int GetFirstRunDate() override { return 0; }
    std::wstring GetDataFolder() override { return {}; }
    void SetDataFolder(std::wstring) override {}
};

HWND FindControl(HWND dialog, const wchar_t* className, const std::wstring& text = {}) {
    struct Search {
        const wchar_t* className;
        std::wstring text;
        HWND found = nullptr;
    } search{className, text};
    EnumChildWindows(
        dialog,
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t name[64] = {};
            wchar_t caption[256] = {};
            GetClassNameW(window, name, 64);
            GetWindowTextW(window, caption, 256);
            if (_wcsicmp(name, s->className) == 0 && (s->text.empty() || s->text == caption)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindCheckBox(HWND dialog) {
    HWND found = nullptr;
    EnumChildWindows(
        dialog,
        [](HWND window, LPARAM data) -> BOOL {
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (_wcsicmp(name, L"Button") == 0 &&
                (GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
                *reinterpret_cast<HWND*>(data) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

// Runs the steps from a timer while the dialog is shown modally; returns how it closed.
std::vector<std::function<void()>>* gSteps = nullptr;
std::size_t gNext = 0;

TModalResult ShowWith(TOptionsForm& dialog, std::vector<std::function<void()>> steps) {
    gSteps = &steps;
    gNext = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 60, [](HWND, UINT, UINT_PTR, DWORD) {
        if (gNext < gSteps->size()) {
            (*gSteps)[gNext++]();
        }
    });
    const TModalResult result = dialog.ShowModal();
    KillTimer(nullptr, timer);
    return result;
}

struct OptionsFormTest : ::testing::Test {
    OptionsFormTest() { application.Initialize(); }
    TApplication application;
    FakeSettings settings;
};

} // namespace

TEST_F(OptionsFormTest, ShowsTheStoredHeightWithinItsRangeAndOkStoresWhatItShows) {
    struct Case {
        int stored;
        const wchar_t* shown;
        int kept;
    };
    for (const Case& c : {Case{0, L"1", 1}, Case{800, L"500", 500}, Case{40, L"40", 40}}) {
        settings.height = c.stored;
        settings.saves = 0;
        TOptionsForm dialog;
        dialog.AfterConstruction();
        dialog.mSettings = &settings;
        std::wstring shown;
        const TModalResult result =
            ShowWith(dialog, {[&] { shown = TextOf(FindControl(dialog.Handle(), L"Edit")); },
                              [&] { PostMessageW(FindControl(dialog.Handle(), L"Button", L"&OK"), BM_CLICK, 0, 0); }});
        EXPECT_EQ(result, TModalResult::mrOk);
        EXPECT_EQ(shown, c.shown) << c.stored;
        // Saved even when nothing changed: saving is what makes the button apply the settings.
        EXPECT_EQ(settings.height, c.kept);
        EXPECT_EQ(settings.saves, 1);
        dialog.Destroy();
    }
}

TEST_F(OptionsFormTest, OkStoresTheCheckBoxAndCancelStoresNothing) {
    for (const bool ok : {true, false}) {
        settings.height = 40;
        settings.autoStart = true;
        settings.saves = 0;
        TOptionsForm dialog;
        dialog.AfterConstruction();
        dialog.mSettings = &settings;
        const TModalResult result = ShowWith(
            dialog,
            {[&] {
                 SendMessageW(FindCheckBox(dialog.Handle()), BM_CLICK, 0, 0);
                 SetWindowTextW(FindControl(dialog.Handle(), L"Edit"), L"120");
             },
             [&] { PostMessageW(FindControl(dialog.Handle(), L"Button", ok ? L"&OK" : L"&Cancel"), BM_CLICK, 0, 0); }});
        EXPECT_EQ(result, ok ? TModalResult::mrOk : TModalResult::mrCancel);
        EXPECT_EQ(settings.saves, ok ? 1 : 0);
        EXPECT_EQ(settings.height, ok ? 120 : 40);
        EXPECT_EQ(settings.autoStart, !ok);
        dialog.Destroy();
    }
}

TEST_F(OptionsFormTest, OpensOnTheAboutPageOnlyWhenAskedTo) {
    for (const bool about : {false, true}) {
        TOptionsForm dialog;
        dialog.AfterConstruction();
        dialog.mSettings = &settings;
        dialog.mShowAboutPage = about;
        bool generalShown = false;
        bool aboutShown = false;
        ShowWith(dialog, {[&] {
                     generalShown = IsWindowVisible(FindControl(dialog.Handle(), L"TTabSheet", L"General"));
                     aboutShown = IsWindowVisible(FindControl(dialog.Handle(), L"TTabSheet", L"About"));
                     dialog.Close();
                 }});
        EXPECT_EQ(generalShown, !about);
        EXPECT_EQ(aboutShown, about);
        dialog.Destroy();
    }
}

// Moved to a screen of 144 DPI, the dialog lays its controls out in that density's font: the
// buttons grow by half, and back at 96 DPI they are as they were.
TEST_F(OptionsFormTest, ADensityChangeLaysTheControlsOutAtTheNewScale) {
    TOptionsForm dialog;
    dialog.AfterConstruction();
    dialog.mSettings = &settings;
    std::vector<int> okWidths;
    const auto send = [&](int dpi) {
        RECT window{};
        GetWindowRect(dialog.Handle(), &window);
        SendMessageW(dialog.Handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&window));
        RECT ok{};
        GetWindowRect(FindControl(dialog.Handle(), L"Button", L"&OK"), &ok);
        okWidths.push_back(ok.right - ok.left);
    };
    ShowWith(dialog, {[&] { send(96); }, [&] { send(144); }, [&] { send(96); }, [&] { dialog.Close(); }});
    dialog.Destroy();
    ASSERT_EQ(okWidths.size(), 3u);
    EXPECT_NEAR(okWidths[1], okWidths[0] * 3 / 2, okWidths[0] / 10 + 1);
    EXPECT_EQ(okWidths[2], okWidths[0]);
}

TEST_F(OptionsFormTest, ReadersHearTheBoxesByTheirLabels) {
    TOptionsForm dialog;
    dialog.AfterConstruction();
    dialog.mSettings = &settings;
    std::vector<std::pair<std::wstring, std::wstring>> heard;
    const auto nameOf = [](HWND window) {
        std::wstring name;
        const LRESULT answer = SendMessageW(window, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
        IAccessible* object = nullptr;
        if (answer > 0 && SUCCEEDED(ObjectFromLresult(answer, IID_IAccessible, 0, reinterpret_cast<void**>(&object)))) {
            VARIANT self;
            VariantInit(&self);
            self.vt = VT_I4;
            self.lVal = CHILDID_SELF;
            BSTR text = nullptr;
            if (object->get_accName(self, &text) == S_OK) {
                name = text;
            }
            SysFreeString(text);
            object->Release();
        }
        return name;
    };
    ShowWith(dialog, {[&] {
                          const HWND dialogWindow = dialog.Handle();
                          for (const wchar_t* box : {L"Edit", L"msctls_hotkey32"}) {
                              heard.emplace_back(box, nameOf(FindControl(dialogWindow, box)));
                          }
                      },
                      [&] { PostMessageW(FindControl(dialog.Handle(), L"Button", L"&Cancel"), BM_CLICK, 0, 0); }});
    dialog.Destroy();
    ASSERT_EQ(heard.size(), 2u);
    // The labels' texts, whatever the language: never the box's number or keys.
    EXPECT_FALSE(heard[0].second.empty());
    EXPECT_EQ(heard[0].second.find_first_of(L"0123456789"), std::wstring::npos) << heard[0].second;
    EXPECT_FALSE(heard[1].second.empty());
    EXPECT_NE(heard[0].second, heard[1].second);
}

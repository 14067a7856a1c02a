// The panel as the program builds it, in-process: its commands remove views while the pointer
// and the paints go on, and its end never waits for a look-up that hangs.
#include "support/LogCapture.h"
#include "support/MenuKeys.h"
#include "support/PaintSurface.h"
#include "support/PumpMessages.h"
#include "support/TempFolder.h"

#include "forms/TMainForm.h"
#include "framework/Application.h"
#include "framework/GuiObjectCount.h"
#include "framework/HintWindow.h"
#include "model/ShortcutFactory.h"
#include "settings/ConfigItems.h"
#include "settings/UserSettings.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <windowsx.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using TestSupport::TempFolder;

namespace {

// Two groups: three shortcuts at (40, 48), one at (400, 48).
const std::string Store = "[Group]\r\nGroupCount=2\r\n"
                          "[Group-0]\r\nX=40\r\nY=48\r\nColumn=5\r\nIsLargeIcon=1\r\nIsTitleVisible=1\r\n"
                          "BackgroundIndex=0\r\nLinkCount=3\r\n"
                          "[Group-0-Link-0]\r\nLnk=zzzA.lnk\r\n[Group-0-Link-1]\r\nLnk=zzzB.lnk\r\n"
                          "[Group-0-Link-2]\r\nLnk=zzzC.lnk\r\n"
                          "[Group-1]\r\nX=400\r\nY=48\r\nColumn=3\r\nIsLargeIcon=1\r\nIsTitleVisible=0\r\n"
                          "BackgroundIndex=4\r\nLinkCount=1\r\n"
                          "[Group-1-Link-0]\r\nLnk=zzzD.lnk\r\n";

std::wstring WindowsFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

class PanelTest : public testing::Test {
protected:
    void SetUp() override {
        application.Initialize();
        CreateDirectoryW((data / L"Data").c_str(), nullptr);
        for (const wchar_t* name : {L"zzzA.lnk", L"zzzB.lnk", L"zzzC.lnk", L"zzzD.lnk"}) {
            ASSERT_TRUE(SUCCEEDED(ShortcutFactory::CreateShortcutToPath(data / (std::wstring(L"Data\\") + name),
                                                                        WindowsFile(L"notepad.exe"))));
        }
        TestSupport::WriteFileBytes(data / L"Data\\groups.txt", Store);
        settings.SetDataFolder(data.Path());
        settings.SetConfigItems(&items.GetItems());
        settings.Load();
        panel = application.CreateForm<TMainForm>();
        panel->SetDataFolder(data.Path());
        panel->SetUserSettings(&settings);
        panel->SetConfigItems(&items);
    }

    void Show() {
        SetWindowPos(panel->Handle(), nullptr, 0, 0, 1000, 600, SWP_NOZORDER);
        panel->Show();
        Pump();
    }

    void Pump(DWORD milliseconds = 100) { TestSupport::Pump(application, milliseconds); }

    LinkGroupView& Group(std::size_t index) {
        return *dynamic_cast<LinkGroupView*>(panel->GetRootView().GetChildren().at(index));
    }

    // Opens the context menu at a client point, as a right click does, and chooses by keys.
    void ChooseAt(POINT client, std::vector<UINT> keys) {
        POINT screen = client;
        ClientToScreen(panel->Handle(), &screen);
        ASSERT_TRUE(TestSupport::ChooseFromMenu(panel->Handle(), std::move(keys), [&] {
            SendMessageW(panel->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->Handle()),
                         MAKELPARAM(screen.x, screen.y));
        }));
        Pump();
    }

    void Send(UINT message, POINT client, WPARAM keys = 0) {
        SendMessageW(panel->Handle(), message, keys, MAKELPARAM(client.x, client.y));
    }

    // The pointer over every given point, a press and release on empty space, a drag started on
    // each point, and a full repaint: everything that reaches the views.
    void Visit(const std::vector<POINT>& points) {
        for (const POINT& p : points) {
            Send(WM_MOUSEMOVE, p);
        }
        for (const POINT& p : points) {
            Send(WM_LBUTTONDOWN, p, MK_LBUTTON);
            Send(WM_MOUSEMOVE, POINT{p.x + 20, p.y + 20}, MK_LBUTTON);
            Send(WM_LBUTTONUP, POINT{900, 550});
        }
        InvalidateRect(panel->Handle(), nullptr, FALSE);
        UpdateWindow(panel->Handle());
        Pump();
    }

    void WaitForIcons() {
        const DWORD until = GetTickCount() + 10000;
        while (!panel->GetIcons().Finished() && GetTickCount() < until) {
            Pump(50);
        }
        Pump(200);
    }

    // How many pixels of the picture the panel keeps differ from a fresh render of it, and where
    // the first is.
    int KeptDiffersFromFresh(POINT& first) {
        const RECT client = panel->ClientRect();
        TestSupport::PaintSurface kept(client.right, client.bottom);
        TestSupport::PaintSurface fresh(client.right, client.bottom);
        panel->GetRootView().Paint(kept.Dc(), &client);
        panel->GetRootView().InvalidateAll();
        panel->GetRootView().Paint(fresh.Dc(), &client);
        int differing = 0;
        for (int y = 0; y < client.bottom; ++y) {
            for (int x = 0; x < client.right; ++x) {
                if (kept.Pixel(x, y) != fresh.Pixel(x, y) && differing++ == 0) {
                    first = POINT{x, y};
                }
            }
        }
        return differing;
    }

    static POINT CellCentre(LinkGroupView& group, int index) {
        const RECT cell = group.GetCellRect(index);
        return POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    }

    TempFolder data;
    TApplication application;
    ConfigItems items;
    UserSettings settings;
    TMainForm* panel = nullptr;
};

} // namespace

TEST_F(PanelTest, DeleteGroupFromItsMenuLeavesNothingThatReachesTheGoneView) {
    Show();
    LinkGroupView& second = Group(1);
    const RECT body = second.GetBodyRect();
    const POINT onGroup{body.right - 3, body.bottom - 3};
    const POINT onShortcut = CellCentre(second, 0);
    ASSERT_EQ(panel->GetRootView().ContextTargetAt(onGroup).link, -1);
    // The group under the pointer, its shortcut's tooltip showing.
    Send(WM_MOUSEMOVE, onShortcut);

    ChooseAt(onGroup, {VK_UP, VK_RETURN});

    ASSERT_EQ(panel->GetModel().GetGroups().size(), 1u);
    ASSERT_EQ(panel->GetRootView().GetChildren().size(), 1u);
    EXPECT_EQ(panel->GetRootView().GetHoverChild(), nullptr);
    EXPECT_FALSE(Application->HintWindow().Visible());
    Visit({onShortcut, onGroup, CellCentre(Group(0), 1)});
    EXPECT_EQ(Group(0).GetModel()->GetLinks().size(), 3u);
}

TEST_F(PanelTest, DeleteShortcutFromItsMenuLeavesTheGroupWhole) {
    Show();
    LinkGroupView& first = Group(0);
    const POINT last = CellCentre(first, 2);
    Send(WM_MOUSEMOVE, last);

    ChooseAt(CellCentre(first, 1), {VK_UP, VK_RETURN});

    ASSERT_EQ(first.GetModel()->GetLinks().size(), 2u);
    EXPECT_EQ(first.GetModel()->GetLinks()[1]->FileName(), L"zzzC.lnk");
    EXPECT_EQ(GetFileAttributesW((data / L"Data\\zzzB.lnk").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(first.GetCellCount(), 2);
    Visit({last, CellCentre(first, 1), CellCentre(Group(1), 0)});
    EXPECT_TRUE(panel->GetModel().IsChanged());
}

TEST_F(PanelTest, ThePanelGoesAtOnceWhileALookUpHangs) {
    struct Gate {
        HANDLE open = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ~Gate() { CloseHandle(open); }
    };
    // Shared with the look-up that hangs, which outlives the panel.
    auto gate = std::make_shared<Gate>();
    ShortcutIcons& icons = panel->GetIcons();
    icons.LookKey = [](const std::wstring&) { return std::wstring(); };
    icons.LookUp = [gate](const std::wstring&, int, int) {
        WaitForSingleObject(gate->open, INFINITE);
        return LinkItemModel::Look{};
    };
    TestSupport::LogCapture log;
    Show();
    Pump(300);
    // Hidden first: without a window manager Wine waits two seconds for the withdrawal of a
    // visible window it destroys, which is no part of what the panel does.
    ShowWindow(panel->Handle(), SW_HIDE);
    const DWORD start = GetTickCount();
    panel->Destroy();
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_NE(log.Text().find(L"1 icon look-ups did not end in time; they are let go"), std::wstring::npos)
        << log.Text();
    // Let go, the look-up returns later to nobody.
    SetEvent(gate->open);
    Sleep(100);
}

// What the panel keeps of its picture, after its shortcuts' icons arrived one batch after the
// other, is what rendering it anew shows: no cell keeps traces of an earlier state.
TEST_F(PanelTest, TheKeptPictureIsWhatAFreshRenderShows) {
    Show();
    WaitForIcons();
    POINT first{-1, -1};
    EXPECT_EQ(KeptDiffersFromFresh(first), 0) << "the first at " << first.x << "," << first.y;

    // Without its picture the panel lets it go (a bitmap and its context) and draws straight
    // what the picture showed; kept again, the picture is made anew, the same.
    const RECT client = panel->ClientRect();
    TestSupport::PaintSurface before(client.right, client.bottom);
    TestSupport::PaintSurface straight(client.right, client.bottom);
    TestSupport::PaintSurface again(client.right, client.bottom);
    panel->GetRootView().Paint(before.Dc(), &client);
    const GuiObjectCounts kept = CountGuiObjects();
    panel->SetKeepsPicture(false);
    panel->GetRootView().Paint(straight.Dc(), &client);
    EXPECT_EQ(CountGuiObjects().gdi, kept.gdi - 2);
    panel->SetKeepsPicture(true);
    panel->GetRootView().Paint(again.Dc(), &client);
    EXPECT_EQ(CountGuiObjects().gdi, kept.gdi);
    for (const TestSupport::PaintSurface* surface : {&straight, &again}) {
        int differing = 0;
        for (int y = 0; y < client.bottom; ++y) {
            for (int x = 0; x < client.right; ++x) {
                differing += before.Pixel(x, y) != surface->Pixel(x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(differing, 0) << (surface == &straight ? "drawn straight" : "made anew");
    }
}

// Moved to a screen of 144 DPI and back, the panel takes the place the system suggests, lays its
// groups out at the new scale from the same stored places, draws with pictures and icons of that
// scale, and keeps no system object more than before.
TEST_F(PanelTest, ADensityChangeRelaysAndRerendersAtTheNewScaleAndBackWithoutLeaks) {
    Show();
    WaitForIcons();
    const GuiObjectCounts before = CountGuiObjects();
    struct Step {
        int dpi;
        RECT suggested;
        int pictureScale;
        int largeIcon;
    };
    for (const Step& step : {Step{144, RECT{30, 20, 1530, 920}, 150, 48}, Step{96, RECT{0, 0, 1000, 600}, 100, 32}}) {
        RECT suggested = step.suggested;
        SendMessageW(panel->Handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(step.dpi, step.dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        WaitForIcons();
        RECT window{};
        GetWindowRect(panel->Handle(), &window);
        EXPECT_TRUE(EqualRect(&window, &step.suggested)) << step.dpi << " DPI: the window is at " << window.left
                                                          << "," << window.top << " " << window.right << ","
                                                          << window.bottom;
        EXPECT_EQ(panel->Dpi(), step.dpi);
        EXPECT_EQ(panel->GetPictureScale(), step.pictureScale);
        EXPECT_EQ(panel->GetIcons().LargeIconSize(), step.largeIcon);
        const Tessel::Common::DisplayScale scale(step.dpi);
        // Stored at (40, 48) and (400, 48) in design pixels, cells of 70 x 80 design pixels.
        EXPECT_EQ(Group(0).GetBounds().left, scale.Px(40));
        EXPECT_EQ(Group(1).GetBounds().left, scale.Px(400));
        EXPECT_EQ(Group(0).GetCellWidth(), scale.Px(70));
        EXPECT_EQ(Group(0).GetCellHeight(), scale.Px(80));
        EXPECT_EQ(Group(0).GetModel()->GetSettings().X(), 40) << "the store keeps design pixels";
        POINT first{-1, -1};
        EXPECT_EQ(KeptDiffersFromFresh(first), 0)
            << step.dpi << " DPI: the kept picture differs first at " << first.x << "," << first.y;
        EXPECT_EQ(panel->GetRootView().GetBounds().right, panel->ClientRect().right);
    }
    const GuiObjectCounts after = CountGuiObjects();
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
}

// Typing on the panel searches its shortcuts: what does not match is dimmed, the best match is
// selected, arrows move the selection to another group's match, Enter runs it as a click does,
// Esc clears the search (the panel as before) and a second Esc asks for the panel to go. Each
// keystroke repaints only the cells whose look changed.
TEST_F(PanelTest, TypingSearchesMarksSelectsRunsAndEscClearsThenHides) {
    Show();
    WaitForIcons();
    std::vector<std::pair<int, int>> runs;
    for (std::size_t g = 0; g < 2; ++g) {
        Group(g).RunLink = [&runs, g](int index) { runs.emplace_back(static_cast<int>(g), index); };
    }
    int hideRequests = 0;
    panel->OnHideRequested = [&] { ++hideRequests; };
    std::vector<RECT> repainted;
    panel->GetRootView().OnPictureInvalidated = [&](const RECT& rect) { repainted.push_back(rect); };

    using Mark = LinkGroupView::Mark;
    const auto type = [&](const wchar_t* text) {
        for (const wchar_t* c = text; *c != 0; ++c) {
            SendMessageW(panel->Handle(), WM_CHAR, *c, 0);
        }
    };
    const auto key = [&](WORD vk) {
        SendMessageW(GetFocus(), WM_KEYDOWN, vk, 0);
    };
    // The shortcut files zzzA to zzzD all start Notepad: their names are "notepad", their files tell them apart.
    type(L"zzzb");
    EXPECT_TRUE(panel->IsFiltering());
    EXPECT_EQ(panel->GetFilterText(), L"zzzb");
    EXPECT_EQ(Group(0).GetMark(0), Mark::Dimmed);
    EXPECT_EQ(Group(0).GetMark(1), Mark::Matched);
    EXPECT_EQ(Group(0).GetMark(2), Mark::Dimmed);
    EXPECT_EQ(Group(1).GetMark(0), Mark::Dimmed);
    EXPECT_EQ(Group(0).GetSelected(), 1);

    // "notepad" matches all four: the first in panel order is selected, Right goes on in its
    // row, and from the row's end to the other group.
    SendMessageW(GetFocus(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    type(L"notepa");
    EXPECT_EQ(Group(0).GetSelected(), 0);
    repainted.clear();
    type(L"d");
    EXPECT_EQ(repainted.size(), 0u) << "the same matches and selection: nothing to repaint";
    int index = -1;
    for (const auto& [group, at] : std::vector<std::pair<std::size_t, int>>{{0, 1}, {0, 2}, {1, 0}}) {
        repainted.clear();
        key(VK_RIGHT);
        EXPECT_EQ(repainted.size(), 2u) << "the cell that lost the selection and the one that took it";
        LinkGroupView* selected = panel->GetFilterSelection(index);
        ASSERT_NE(selected, nullptr);
        EXPECT_EQ(selected, &Group(group));
        EXPECT_EQ(index, at);
    }
    key(VK_RETURN);
    EXPECT_EQ(runs, (std::vector<std::pair<int, int>>{{1, 0}}));

    key(VK_ESCAPE);
    EXPECT_EQ(panel->GetFilterText(), L"");
    for (std::size_t g = 0; g < 2; ++g) {
        for (int i = 0; i < Group(g).GetCellCount(); ++i) {
            EXPECT_EQ(Group(g).GetMark(i), Mark::Normal);
        }
        EXPECT_EQ(Group(g).GetSelected(), -1);
    }
    EXPECT_EQ(hideRequests, 0);
    key(VK_ESCAPE);
    EXPECT_EQ(hideRequests, 1);
    panel->EndFilter();
    EXPECT_FALSE(panel->IsFiltering());
}

// The offer to fill the panel from the Desktop and the Start menu stands exactly while the store
// holds no group: the last group deleted brings it, and every way a group comes takes it away.
TEST_F(PanelTest, TheFirstRunOfferShowsExactlyWhileThePanelHasNoGroup) {
    Show();
    EXPECT_FALSE(panel->IsOfferingFirstRunFill());
    const std::wstring zip = data / L"groups.zip";
    ASSERT_EQ(panel->ExportLayout(zip), L"");
    const auto deleteAll = [&] {
        while (!panel->GetRootView().GetChildren().empty()) {
            EXPECT_FALSE(panel->IsOfferingFirstRunFill());
            const RECT body = Group(0).GetBodyRect();
            const std::size_t before = panel->GetModel().GetGroups().size();
            ChooseAt(POINT{body.right - 3, body.bottom - 3}, {VK_UP, VK_RETURN});
            ASSERT_EQ(panel->GetModel().GetGroups().size(), before - 1);
        }
    };
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"the add button",
         [&] {
             const POINT add{panel->ClientWidth() - 30 + 11, 2 + 12};
             Send(WM_LBUTTONDOWN, add, MK_LBUTTON);
             Send(WM_LBUTTONUP, add);
         }},
        {"the panel menu",
         [&] {
             ChooseAt(POINT{200, 450}, {VK_DOWN, VK_RETURN});
         }},
        {"an import", [&] { EXPECT_EQ(panel->ImportLayout(zip), L""); }},
    };
    for (const auto& [way, add] : ways) {
        SCOPED_TRACE(way);
        deleteAll();
        EXPECT_TRUE(panel->IsOfferingFirstRunFill()) << "the last group deleted";
        add();
        Pump();
        ASSERT_FALSE(panel->GetModel().GetGroups().empty());
        EXPECT_FALSE(panel->IsOfferingFirstRunFill());
    }
}

// A store that could not be read still holds the user's groups: the panel only looks empty, and
// offers no fill that would stand in their place.
TEST_F(PanelTest, NoFirstRunOfferWhenTheStoreCouldNotBeRead) {
    TestSupport::WriteFileBytes(data / L"Data\\groups.txt", "not a group store\r\n");
    application.OnException = [](std::exception_ptr) {};
    Show();
    ASSERT_TRUE(panel->GetModel().GetGroups().empty());
    ASSERT_FALSE(panel->GetModel().LoadProblem().empty());
    EXPECT_FALSE(panel->IsOfferingFirstRunFill());
}

// On an empty panel the offer stands centred right under the hint's text, at every size and
// display density, and grows with the density as the hint does.
TEST_F(PanelTest, TheFirstRunOfferStandsCentredUnderTheHintAtEverySizeAndDensity) {
    TestSupport::WriteFileBytes(data / L"Data\\groups.txt", "[Group]\r\nGroupCount=0\r\n");
    Show();
    ASSERT_TRUE(panel->IsOfferingFirstRunFill());
    OrvexView& root = panel->GetRootView();
    const std::wstring hint = L"Please click the \"+\" button to create a new group.";
    // The rows the hint's text covers: where the picture differs from one without it.
    const auto hintRows = [&]() -> std::pair<int, int> {
        const RECT client = panel->ClientRect();
        TestSupport::PaintSurface with(client.right, client.bottom);
        TestSupport::PaintSurface without(client.right, client.bottom);
        root.SetHintText(hint);
        root.InvalidateAll();
        root.Paint(with.Dc(), &client);
        root.SetHintText(L"");
        root.InvalidateAll();
        root.Paint(without.Dc(), &client);
        root.SetHintText(hint);
        root.InvalidateAll();
        int top = -1;
        int bottom = -1;
        for (int y = 0; y < client.bottom; ++y) {
            for (int x = 0; x < client.right; ++x) {
                if (with.Pixel(x, y) != without.Pixel(x, y)) {
                    top = top < 0 ? y : top;
                    bottom = y + 1;
                    break;
                }
            }
        }
        return {top, bottom};
    };
    struct Step {
        int dpi;
        RECT window;
    };
    int designHeight = 0;
    for (const Step& step : {Step{96, RECT{0, 0, 1000, 600}}, Step{144, RECT{0, 0, 1500, 900}},
                             Step{192, RECT{0, 0, 1800, 1000}}, Step{96, RECT{0, 0, 760, 480}}}) {
        SCOPED_TRACE(testing::Message() << step.dpi << " DPI, " << step.window.right << " x " << step.window.bottom);
        if (step.dpi != panel->Dpi()) {
            RECT suggested = step.window;
            SendMessageW(panel->Handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(step.dpi, step.dpi),
                         reinterpret_cast<LPARAM>(&suggested));
        } else {
            SetWindowPos(panel->Handle(), nullptr, 0, 0, step.window.right, step.window.bottom, SWP_NOZORDER);
        }
        Pump();
        ASSERT_EQ(panel->Dpi(), step.dpi);
        ASSERT_TRUE(panel->IsOfferingFirstRunFill());
        const Tessel::Common::DisplayScale scale(step.dpi);
        const RECT client = panel->ClientRect();
        const RECT offer = panel->GetFirstRunOfferBounds();
        const auto [hintTop, hintBottom] = hintRows();
        ASSERT_GE(hintTop, 0) << "the hint is drawn";
        EXPECT_NEAR(offer.left + offer.right, client.right, 1) << "centred: " << offer.left << ".." << offer.right;
        EXPECT_GE(offer.top, hintBottom) << "below the hint's text";
        EXPECT_LE(offer.top - hintBottom, scale.Px(16)) << "close enough to read as its second line";
        EXPECT_GT(offer.right - offer.left, 0);
        EXPECT_LT(offer.right - offer.left, client.right);
        if (designHeight == 0) {
            designHeight = offer.bottom - offer.top;
        }
        EXPECT_NEAR(offer.bottom - offer.top, scale.Px(designHeight), scale.Px(2));
    }
}

TEST_F(PanelTest, TheKeyboardFocusIsWhatReadersSeeAndObjectsOfAGoneGroupAnswerNoMore) {
    Show();
    WaitForIcons();
    int runs = 0;
    Group(1).RunLink = [&runs](int) { ++runs; };
    const auto key = [&](WORD vk) { SendMessageW(panel->Handle(), WM_KEYDOWN, vk, 0); };
    const auto id = [](LONG value) {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = value;
        return v;
    };
    const auto name = [&](IAccessible* object, LONG child) {
        BSTR text = nullptr;
        const HRESULT got = object->get_accName(id(child), &text);
        std::wstring taken = SUCCEEDED(got) && text != nullptr ? std::wstring(text) : std::wstring();
        SysFreeString(text);
        return taken;
    };
    const LRESULT answer = SendMessageW(panel->Handle(), WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
    ASSERT_GT(answer, 0);
    IAccessible* root = nullptr;
    ASSERT_TRUE(SUCCEEDED(ObjectFromLresult(answer, IID_IAccessible, 0, reinterpret_cast<void**>(&root))));
    long count = 0;
    ASSERT_EQ(root->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 2 + 4) << "two groups and the band's four controls";
    EXPECT_EQ(name(root, 1), L"Group 1, 3 shortcuts");
    EXPECT_EQ(name(root, 2), L"Group 2, 1 shortcut");

    // Tab goes to the first group's first shortcut, again to the second group; the panel's
    // object tells readers the focus through the group's object.
    key(VK_TAB);
    int index = -1;
    EXPECT_EQ(panel->GetKeyFocus(index), &Group(0));
    EXPECT_EQ(index, 0);
    EXPECT_EQ(Group(0).GetSelected(), 0) << "the ring a search's selection has";
    key(VK_RIGHT);
    EXPECT_EQ(Group(0).GetSelected(), 1);
    key(VK_TAB);
    EXPECT_EQ(panel->GetKeyFocus(index), &Group(1));
    EXPECT_EQ(Group(0).GetSelected(), -1);
    VARIANT focus;
    VariantInit(&focus);
    ASSERT_EQ(root->get_accFocus(&focus), S_OK);
    ASSERT_EQ(focus.vt, VT_DISPATCH);
    IAccessible* second = nullptr;
    ASSERT_TRUE(SUCCEEDED(focus.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&second))));
    VariantClear(&focus);
    ASSERT_EQ(second->get_accFocus(&focus), S_OK);
    EXPECT_EQ(focus.vt, VT_I4);
    EXPECT_EQ(focus.lVal, 1);
    // The id a focus event names the shortcut by reaches it through the panel's object.
    EXPECT_EQ(name(root, PanelAccessible::EventChildId(1, 0)), name(second, 1));
    EXPECT_EQ(name(second, 1), Group(1).GetModel()->GetLinks()[0]->ShownName());
    key(VK_RETURN);
    EXPECT_EQ(runs, 1);

    // The group goes: its object answers no more, and the panel's lists one group.
    const RECT body = Group(1).GetBodyRect();
    ChooseAt(POINT{body.right - 3, body.bottom - 3}, {VK_UP, VK_RETURN});
    ASSERT_EQ(panel->GetModel().GetGroups().size(), 1u);
    EXPECT_EQ(panel->GetKeyFocus(index), nullptr);
    EXPECT_TRUE(FAILED(second->get_accChildCount(&count)));
    EXPECT_EQ(name(second, CHILDID_SELF), L"");
    ASSERT_EQ(root->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 1 + 4);
    second->Release();
    root->Release();
}

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

#include <memory>
#include <string>
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

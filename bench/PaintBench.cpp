// Times the panel's paints with 2,000 shortcuts (50 groups of 40, large icons with names) into a
// memory device context of 1920 x 1080, and prints the median and the spread of each:
// - a full paint of the whole panel as the panel's window makes it when it was uncovered (or
//   slid in): the update rectangle is the whole client area, nothing in it changed;
// - a full render: the same after every group was marked changed (a new layout or size);
// - a hover repaint: the pointer moves between two cells of the front group, and what that move
//   marks for repainting in a real window is painted as the panel's window paints it.
//
// Run: wine build/bench/views_paint_bench.exe   (with a display: names are drawn with fonts);
// BENCH_GROUPS=n, BENCH_LINKS=n and BENCH_RUNS=n change the panel and the number of paints;
// BENCH_TITLES=0 leaves the names out.

#include "foundation/win32/UniqueHandle.h"
#include "graphics/Graphic.h"
#include "graphics/IconAtlas.h"
#include "model/LinkGroupModel.h"
#include "model/LinkItemModel.h"
#include "views/DragDropManager.h"
#include "views/GroupGeometry.h"
#include "views/LinkGroupView.h"
#include "views/OrvexView.h"

#include <objbase.h>
#include <shlobj.h>
#include <windows.h>
#include <wrl/client.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// One real shortcut file, copied for every shortcut of the panel, so that icons and names come
// from the shell as they do in use.
std::wstring MakeShortcutTemplate(const std::wstring& folder) {
    using Microsoft::WRL::ComPtr;
    const std::wstring path = folder + L"\\template.lnk";
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) &&
        SUCCEEDED(link->SetPath((std::wstring(windows) + L"\\notepad.exe").c_str())) && SUCCEEDED(link.As(&file))) {
        file->Save(path.c_str(), TRUE);
    }
    return path;
}

struct Spread {
    double median = 0;
    double min = 0;
    double p90 = 0;
    double max = 0;
};

Spread SpreadOf(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front(), times[times.size() * 9 / 10], times.back()};
}

template <typename Action> double Milliseconds(Action&& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    GdiFlush();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// A visible window of the panel's size that nobody paints: the views mark their repaints in it,
// and the bench reads and clears its update region.
HWND MakeInvalidationWindow(int width, int height) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TilebayPaintBench";
    RegisterClassW(&windowClass);
    return CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"paint bench", WS_POPUP | WS_VISIBLE, 0, 0,
                           width, height, nullptr, nullptr, windowClass.hInstance, nullptr);
}

// The bounding box of what the window has been asked to repaint; empties its update region.
RECT TakeUpdateRect(HWND window) {
    RECT update{0, 0, 0, 0};
    GetUpdateRect(window, &update, FALSE);
    ValidateRect(window, nullptr);
    return update;
}

// Paints the update rectangle as the panel's window does on WM_PAINT: the root renders what was
// marked changed into the panel's picture and copies the rectangle of it onto the target.
void PaintAsTheWindowDoes(OrvexView& root, HDC target, const RECT& update) {
    root.Paint(target, &update);
}

} // namespace

int main() {
    // The panel's size can be changed to see where the time goes: BENCH_GROUPS=0 BENCH_LINKS=0 ...
    const auto setting = [](const char* name, int fallback) {
        const char* value = std::getenv(name);
        return value != nullptr ? std::atoi(value) : fallback;
    };
    const int Groups = setting("BENCH_GROUPS", 50);
    const int LinksPerGroup = setting("BENCH_LINKS", 40);
    const bool Titles = setting("BENCH_TITLES", 1) != 0;
    constexpr int Width = 1920;
    constexpr int Height = 1080;
    const int Runs = std::max(1, setting("BENCH_RUNS", 60));

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"tilebay-paint-bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring shortcut = MakeShortcutTemplate(folder);

    TBitmap panelPicture(1400, 990, RGB(40, 60, 90));
    // BENCH_PICTURE names a bitmap file drawn in its stored form instead, as the panel draws its
    // built-in picture.
    if (const char* picture = std::getenv("BENCH_PICTURE"); picture != nullptr && *picture != '\0') {
        panelPicture.TakeAsStored(Tessel::Common::UniqueBitmap(static_cast<HBITMAP>(
            LoadImageA(nullptr, picture, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION))));
    }
    TBitmap groupBackground(31, 436, RGB(200, 230, 200));
    DragDropManager drag;
    OrvexView root;
    root.SetDragDropManager(&drag);
    root.SetBackground(&panelPicture);
    root.SetBounds(RECT{0, 0, Width, Height});

    // Every cell shows the shortcut's real icon and name, as on a panel whose icons have all
    // arrived: the shell is asked once, and the icons live in shared atlases.
    const LinkItemModel::Look look = LinkItemModel::LookUp(shortcut, GroupGeometry::LargeIconSize, GroupGeometry::SmallIconSize);
    IconAtlas largeIcons(GroupGeometry::LargeIconSize);
    IconAtlas smallIcons(GroupGeometry::SmallIconSize);
    const IconAtlas::Ref largeIcon = largeIcons.Add(look.large);
    const IconAtlas::Ref smallIcon = smallIcons.Add(look.small);

    std::vector<std::unique_ptr<LinkGroupModel>> models;
    std::vector<std::unique_ptr<LinkGroupView>> views;
    for (int g = 0; g < Groups; ++g) {
        auto model = std::make_unique<LinkGroupModel>();
        model->GetSettings().SetX((g % 5) * 380);
        model->GetSettings().SetY((g / 5) * 100);
        model->GetSettings().SetIsLargeIcon(true);
        model->GetSettings().SetIsTitleVisible(Titles);
        for (int k = 0; k < LinksPerGroup; ++k) {
            const std::wstring name = L"zzz" + std::to_wstring(g * 100 + k) + L".lnk";
            const std::wstring path = folder + L"\\" + name;
            CopyFileW(shortcut.c_str(), path.c_str(), FALSE);
            model->AppendLink(name, path)->SetLook(largeIcon, smallIcon, look.displayName, {});
        }
        auto view = std::make_unique<LinkGroupView>();
        view->SetModel(model.get());
        view->SetBackground(&groupBackground);
        view->OnDecorate = [](TCanvas*, RECT&) {};
        view->SetDragDropManager(&drag);
        view->ReloadFromModel();
        root.AddChild(view.get());
        models.push_back(std::move(model));
        views.push_back(std::move(view));
    }
    root.UpdateLayout();

    TBitmap target(Width, Height);
    const RECT all{0, 0, Width, Height};

    std::vector<double> times;
    for (int run = 0; run < Runs + 5; ++run) {
        const double ms = Milliseconds([&] { PaintAsTheWindowDoes(root, target.Dc(), all); });
        if (run >= 5) { // the first paints build icons and the panel's picture
            times.push_back(ms);
        }
    }
    const Spread full = SpreadOf(times);
    std::printf("full paint of %d groups x %d shortcuts at %dx%d: median %.2f ms, min %.2f ms, "
                "90th percentile %.2f ms, max %.2f ms (%d paints)\n",
                Groups, LinksPerGroup, Width, Height, full.median, full.min, full.p90, full.max, Runs);
    std::fflush(stdout);

    times.clear();
    for (int run = 0; run < Runs; ++run) {
        root.InvalidateAll();
        times.push_back(Milliseconds([&] { PaintAsTheWindowDoes(root, target.Dc(), all); }));
    }
    const Spread render = SpreadOf(times);
    std::printf("full render of the panel's picture anew: median %.2f ms, min %.2f ms, "
                "90th percentile %.2f ms, max %.2f ms (%d paints)\n",
                render.median, render.min, render.p90, render.max, Runs);
    std::fflush(stdout);

    // The hover repaint: the front group is the last child, hit first.
    if (views.empty() || LinksPerGroup < 2) {
        std::printf("hover repaint: skipped, it needs a group of two shortcuts or more\n");
        return 0;
    }
    LinkGroupView* front = views.back().get();
    const auto centre = [](const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };
    const POINT cells[2] = {centre(front->GetCellRect(0)), centre(front->GetCellRect(1))};
    for (const POINT& p : cells) {
        if (root.HitTest(p.x, p.y) != front) {
            std::printf("hover repaint: the front group's cells are not under the pointer at (%ld, %ld)\n", p.x, p.y);
            return 1;
        }
    }
    const HWND window = MakeInvalidationWindow(Width, Height);
    if (window == nullptr) {
        std::printf("hover repaint: no window (error %lu)\n", GetLastError());
        return 1;
    }
    times.clear();
    RECT area{0, 0, 0, 0};
    for (int run = 0; run < Runs + 5; ++run) {
        const ViewMouseArgs args{window, cells[run % 2]};
        TakeUpdateRect(window);
        root.MouseMove(&args);
        const RECT update = TakeUpdateRect(window);
        if (IsRectEmpty(&update)) {
            std::printf("hover repaint: moving between two cells asked for no repaint\n");
            return 1;
        }
        area = update;
        const double ms = Milliseconds([&] { PaintAsTheWindowDoes(root, target.Dc(), update); });
        if (run >= 5) {
            times.push_back(ms);
        }
    }
    DestroyWindow(window);
    const Spread hover = SpreadOf(times);
    std::printf("hover repaint between two cells (%ldx%ld px repainted): median %.3f ms, min %.3f ms, "
                "90th percentile %.3f ms, max %.3f ms (%d paints)\n",
                area.right - area.left, area.bottom - area.top, hover.median, hover.min, hover.p90, hover.max, Runs);
    return 0;
}

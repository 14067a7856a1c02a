// Times one full paint of a large panel: 50 groups of 40 shortcuts each, large icons with
// names, into a memory device context of 1920 x 1080. Prints the median and the spread over
// many paints. The goal is well under one frame at 60 Hz (16 ms).
//
// Run: wine build/bench/views_paint_bench.exe   (with a display: names are drawn with fonts);
// BENCH_GROUPS=n and BENCH_LINKS=n change the panel; BENCH_TITLES=0 leaves the names out.

#include "foundation/win32/UniqueHandle.h"
#include "framework/Graphic.h"
#include "framework/IconAtlas.h"
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
    constexpr int Runs = 60;

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"tilebay-paint-bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring shortcut = MakeShortcutTemplate(folder);

    TBitmap panelPicture(1400, 990, RGB(40, 60, 90));
    TBitmap groupBackground(31, 436, RGB(200, 230, 200));
    DragDropManager drag;
    OrvexView root;
    root.SetDragDropManager(&drag);
    root.SetBackground(&panelPicture);
    root.SetBounds(RECT{0, 0, Width, Height});

    // Every cell shows the shortcut's real icon and name, as on a panel whose icons have all
    // arrived: the shell is asked once, and the icons live in shared atlases.
    const LinkItemModel::Look look = LinkItemModel::LookUp(shortcut);
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
        const auto start = std::chrono::steady_clock::now();
        root.Paint(target.Dc(), &all);
        GdiFlush();
        const auto end = std::chrono::steady_clock::now();
        if (run >= 5) { // the first paints fill caches
            times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        }
    }
    // A hover change repaints the two cells it touches: here one cell of a group in the middle.
    std::vector<double> hoverTimes;
    if (!views.empty() && views[views.size() / 2]->GetCellCount() > 0) {
        LinkGroupView& group = *views[views.size() / 2];
        const RECT cell = group.GetCellRect(group.GetCellCount() / 2);
        const RECT area{cell.left - GroupGeometry::InsertionBarWidth, cell.top, cell.right, cell.bottom};
        for (int run = 0; run < Runs + 5; ++run) {
            const auto start = std::chrono::steady_clock::now();
            const int saved = SaveDC(target.Dc());
            IntersectClipRect(target.Dc(), area.left, area.top, area.right, area.bottom);
            root.Paint(target.Dc(), &area);
            RestoreDC(target.Dc(), saved);
            GdiFlush();
            const auto end = std::chrono::steady_clock::now();
            if (run >= 5) {
                hoverTimes.push_back(std::chrono::duration<double, std::milli>(end - start).count());
            }
        }
        std::sort(hoverTimes.begin(), hoverTimes.end());
    }

    std::sort(times.begin(), times.end());
    std::printf("full paint of %d groups x %d shortcuts at %dx%d: median %.2f ms, min %.2f ms, "
                "90th percentile %.2f ms, max %.2f ms (%d paints)\n",
                Groups, LinksPerGroup, Width, Height, times[times.size() / 2], times.front(),
                times[times.size() * 9 / 10], times.back(), Runs);
    if (!hoverTimes.empty()) {
        std::printf("hover repaint of one cell: median %.3f ms, min %.3f ms, 90th percentile %.3f ms, max %.3f ms "
                    "(%d paints)\n",
                    hoverTimes[hoverTimes.size() / 2], hoverTimes.front(), hoverTimes[hoverTimes.size() * 9 / 10],
                    hoverTimes.back(), Runs);
    }
    return 0;
}

#pragma once

#include "model/LinkGroupModel.h"
#include "views/LinkGroupView.h"

#include <memory>
#include <string>
#include <vector>

namespace TestSupport {

enum class IconStyle { Large, LargeWithText, Small };

// A group model with `count` shortcuts (files that need not exist) and a view on it,
// placed and laid out as the panel does it.
struct GroupFixture {
    LinkGroupModel model;
    LinkGroupView view;

    GroupFixture(int count, IconStyle style = IconStyle::Large, int column = 5, int x = 0, int y = 0) {
        LinkGroupSettings& settings = model.GetSettings();
        settings.SetX(x);
        settings.SetY(y);
        settings.SetColumn(column);
        settings.SetIsLargeIcon(style != IconStyle::Small);
        settings.SetIsTitleVisible(style != IconStyle::Large);
        for (int i = 0; i < count; ++i) {
            model.AppendLink(Name(i), L"C:\\links\\" + Name(i));
        }
        view.SetModel(&model);
        view.ReloadFromModel();
        view.SetBounds(view.GetPreferredBounds());
        view.LayoutCells();
        view.OnDecorate = [](TCanvas*, RECT&) {};
        view.IsLeftButtonDown = [this] { return leftButtonDown; };
        // Never the shell: a test must not be able to reach its dialogs.
        view.RunLink = [this](int index) { ran.push_back(index); };
    }

    static std::wstring Name(int i) { return L"zzz" + std::to_wstring(i) + L".lnk"; }

    // File names of the shortcuts in their order, e.g. "0 1 2".
    std::wstring Order() const {
        std::wstring order;
        for (const auto& link : model.GetLinks()) {
            std::wstring name = link->FileName();
            if (!order.empty()) order += L" ";
            order += name.substr(3, name.size() - 7);
        }
        return order;
    }

    // A point in the left (side 0) or right (side 1) half of cell index.
    POINT InCell(int index, int side) const {
        const RECT cell = view.GetCellRect(index);
        return POINT{side == 0 ? cell.left + 2 : cell.right - 2, (cell.top + cell.bottom) / 2};
    }

    bool leftButtonDown = false;
    // The indices of the shortcuts run, in order.
    std::vector<int> ran;
};

} // namespace TestSupport

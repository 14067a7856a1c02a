#include "support/PaintSurface.h"

#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/Menus.h"
#include "graphics/Graphic.h"

#include "support/CollectExceptions.h"
#include "support/MenuKeys.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using TestSupport::PaintSurface;

namespace {

// What the system's menu holds at one position.
struct NativeItem {
    UINT type = 0;
    UINT state = 0;
    UINT id = 0;
    HMENU submenu = nullptr;
    HBITMAP bitmap = nullptr;
    ULONG_PTR data = 0;
    std::wstring text;
};

NativeItem ReadItem(HMENU menu, UINT position) {
    NativeItem item;
    wchar_t text[128] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_BITMAP | MIIM_STRING | MIIM_DATA;
    info.dwTypeData = text;
    info.cch = 128;
    EXPECT_TRUE(GetMenuItemInfoW(menu, position, TRUE, &info));
    item.type = info.fType;
    item.state = info.fState;
    item.id = info.wID;
    item.submenu = info.hSubMenu;
    item.bitmap = info.hbmpItem;
    item.data = info.dwItemData;
    item.text = text;
    return item;
}

} // namespace

TEST(TNativeMenu, BuildsTheVisibleItemTreeWithItsStatesAndMapsIdsBack) {
    TBitmap red(10, 6, RGB(255, 0, 0));
    TMenuItem root;
    TMenuItem& open = root.Add(L"&Open File Location");
    open.Enabled = false;
    TMenuItem& tooltip = root.Add(L"Show Tooltip");
    tooltip.Checked = true;
    root.Add(L"Hidden").Visible = false;
    root.Add(L"-");
    TMenuItem& style = root.Add(L"Icon Style");
    TMenuItem& large = style.Add(L"Large");
    large.RadioItem = true;
    large.Checked = true;
    style.Add(L"Small").RadioItem = true;
    TMenuItem& background = root.Add(L"Background");
    TMenuItem& first = background.Add(L"Blue");
    first.Bitmap = &red;
    first.Tag = 0;
    background.Add(L"Empty picture").Bitmap = &red;
    TBitmap empty;
    background[1].Bitmap = &empty;

    TNativeMenu menu(root, TMenuImageMode::imBlendedBitmap);
    ASSERT_NE(menu.Handle(), nullptr);
    ASSERT_EQ(GetMenuItemCount(menu.Handle()), 5) << "the hidden item is left out";
    const NativeItem items[] = {ReadItem(menu.Handle(), 0), ReadItem(menu.Handle(), 1), ReadItem(menu.Handle(), 2),
                                ReadItem(menu.Handle(), 3), ReadItem(menu.Handle(), 4)};
    EXPECT_EQ(items[0].text, L"&Open File Location");
    EXPECT_TRUE(items[0].state & MFS_DISABLED);
    EXPECT_FALSE(items[0].state & MFS_CHECKED);
    EXPECT_TRUE(items[1].state & MFS_CHECKED);
    EXPECT_FALSE(items[1].state & MFS_DISABLED);
    EXPECT_FALSE(items[1].type & MFT_RADIOCHECK);
    EXPECT_TRUE(items[2].type & MFT_SEPARATOR);
    EXPECT_EQ(menu.ItemOf(items[0].id), &open);
    EXPECT_EQ(menu.ItemOf(items[1].id), &tooltip);
    EXPECT_EQ(menu.IdOf(root[2]), 0u) << "hidden";

    ASSERT_NE(items[3].submenu, nullptr);
    ASSERT_EQ(GetMenuItemCount(items[3].submenu), 2);
    const NativeItem largeItem = ReadItem(items[3].submenu, 0);
    EXPECT_EQ(largeItem.text, L"Large");
    EXPECT_TRUE(largeItem.type & MFT_RADIOCHECK);
    EXPECT_TRUE(largeItem.state & MFS_CHECKED);
    EXPECT_FALSE(ReadItem(items[3].submenu, 1).state & MFS_CHECKED);
    EXPECT_EQ(menu.ItemOf(largeItem.id), &large);

    ASSERT_NE(items[4].submenu, nullptr);
    const NativeItem blue = ReadItem(items[4].submenu, 0);
    EXPECT_EQ(menu.ItemOf(blue.id), &first);
    EXPECT_EQ(ReadItem(items[4].submenu, 1).bitmap, nullptr) << "an empty picture gives no image";
    ASSERT_NE(blue.bitmap, nullptr);
    DIBSECTION dib = {};
    ASSERT_EQ(GetObjectW(blue.bitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 32);
    EXPECT_EQ(dib.dsBm.bmWidth, TNativeMenu::ImageSize());
    EXPECT_EQ(dib.dsBm.bmHeight, TNativeMenu::ImageSize()) << "scaled to the menu's image size";
    GdiFlush();
    EXPECT_EQ(static_cast<const std::uint32_t*>(dib.dsBm.bmBits)[0], 0xFFFF0000u) << "opaque red, with its alpha";

    EXPECT_EQ(menu.ItemOf(0), nullptr);
    EXPECT_EQ(menu.ItemOf(1000), nullptr);
}

TEST(TNativeMenu, OwnerDrawnImagesAreMeasuredAndBlendedForTheirMenuOnly) {
    TBitmap red(10, 6, RGB(255, 0, 0));
    TMenuItem root;
    root.Add(L"Plain");
    TMenuItem& background = root.Add(L"Background");
    background.Add(L"Red").Bitmap = &red;
    background.Add(L"A longer caption without a picture");
    background.Add(L"-");
    TMenuItem& disabled = background.Add(L"Disabled red");
    disabled.Bitmap = &red;
    disabled.Enabled = false;

    ULONG_PTR redData = 0;
    {
        TNativeMenu menu(root, TMenuImageMode::imOwnerDrawn);
        EXPECT_EQ(ReadItem(menu.Handle(), 0).bitmap, nullptr) << "a menu without pictures has no images";
        const HMENU sub = ReadItem(menu.Handle(), 1).submenu;
        ASSERT_NE(sub, nullptr);
        const NativeItem redItem = ReadItem(sub, 0);
        const NativeItem plainItem = ReadItem(sub, 1);
        // Every item of a menu with pictures has an image, so that the texts line up and none
        // is cut off.
        EXPECT_EQ(redItem.bitmap, HBMMENU_CALLBACK);
        EXPECT_EQ(plainItem.bitmap, HBMMENU_CALLBACK);
        redData = redItem.data;

        LRESULT result = 0;
        MEASUREITEMSTRUCT measure = {ODT_MENU, 0, redItem.id, 0, 0, redItem.data};
        ASSERT_TRUE(TNativeMenu::OwnerDrawMessage(WM_MEASUREITEM, reinterpret_cast<LPARAM>(&measure), result));
        EXPECT_EQ(static_cast<int>(measure.itemWidth), TNativeMenu::ImageSize());
        EXPECT_EQ(static_cast<int>(measure.itemHeight), TNativeMenu::ImageSize());

        const auto drawOn = [&](const NativeItem& item, UINT state) {
            auto surface = std::make_unique<PaintSurface>(40, 30, RGB(0, 0, 255));
            DRAWITEMSTRUCT draw = {};
            draw.CtlType = ODT_MENU;
            draw.itemID = item.id;
            draw.itemState = state;
            draw.hDC = surface->Dc();
            draw.rcItem = RECT{0, 0, 40, 30};
            draw.itemData = item.data;
            EXPECT_TRUE(TNativeMenu::OwnerDrawMessage(WM_DRAWITEM, reinterpret_cast<LPARAM>(&draw), result));
            return surface;
        };
        EXPECT_EQ(drawOn(redItem, 0)->Pixel(20, 15), 0xFF0000u) << "centred in the image place";
        EXPECT_EQ(drawOn(redItem, ODS_SELECTED)->Pixel(1, 1), 0x0000FFu) << "and only there";
        EXPECT_EQ(drawOn(plainItem, 0)->Pixel(20, 15), 0x0000FFu) << "an item without picture draws nothing";
        const std::uint32_t faded = drawOn(ReadItem(sub, 3), ODS_GRAYED | ODS_DISABLED)->Pixel(20, 15);
        EXPECT_NE(faded, 0xFF0000u);
        EXPECT_NE(faded, 0x0000FFu);

        MEASUREITEMSTRUCT foreign = {ODT_MENU, 0, 1, 0, 0, reinterpret_cast<ULONG_PTR>(&root)};
        EXPECT_FALSE(TNativeMenu::OwnerDrawMessage(WM_MEASUREITEM, reinterpret_cast<LPARAM>(&foreign), result));
    }
    LRESULT result = 0;
    MEASUREITEMSTRUCT gone = {ODT_MENU, 0, 1, 0, 0, redData};
    EXPECT_FALSE(TNativeMenu::OwnerDrawMessage(WM_MEASUREITEM, reinterpret_cast<LPARAM>(&gone), result))
        << "the images end with their menu";
}

namespace {

class OwnerForm : public TForm {
protected:
    void CreateParams(TCreateParams& params) override {
        params.style = WS_POPUP;
        params.x = 100;
        params.y = 100;
        params.width = 200;
        params.height = 100;
        params.windowClassName = L"TMenuOwnerForm";
    }
};

} // namespace

TEST(TNativeMenu, EveryWindowMeasuresItsOwnerDrawnImagesWhileTheMenuLives) {
    TBitmap red(10, 6, RGB(255, 0, 0));
    TApplication application;
    application.Initialize();
    OwnerForm* form = application.CreateForm<OwnerForm>();
    TMenuItem root;
    root.Add(L"Red").Bitmap = &red;

    ULONG_PTR data = 0;
    {
        TNativeMenu menu(root, TMenuImageMode::imOwnerDrawn);
        const NativeItem item = ReadItem(menu.Handle(), 0);
        data = item.data;
        for (const HWND owner : {form->Handle(), application.Handle()}) {
            MEASUREITEMSTRUCT measure = {ODT_MENU, 0, item.id, 0, 0, item.data};
            EXPECT_EQ(SendMessageW(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)), TRUE);
            EXPECT_EQ(static_cast<int>(measure.itemWidth), TNativeMenu::ImageSize());
        }
    }
    MEASUREITEMSTRUCT gone = {ODT_MENU, 0, 1, 0, 0, data};
    SendMessageW(form->Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&gone));
    EXPECT_EQ(gone.itemWidth, 0u) << "nothing answers for a menu that is gone";
}

TEST(TMenuItem, OwnsItsChildrenAndAFailingClickGoesToTheApplication) {
    TApplication application;
    application.Initialize();
    std::vector<std::string> caught;
    TestSupport::CollectExceptions(application, caught);
    TMenuItem root;
    TMenuItem& parent = root.Add(L"Parent");
    TMenuItem& child = parent.Add(L"Child");
    EXPECT_EQ(child.Parent(), &parent);
    EXPECT_EQ(parent.Parent(), &root);
    EXPECT_EQ(root.Count(), 1u);
    child.OnClick = [](TMenuItem&) { throw std::runtime_error("command failed"); };
    child.Click();
    EXPECT_THAT(caught, ElementsAre("command failed"));
    parent.Clear();
    EXPECT_EQ(parent.Count(), 0u);
}

TEST(TPopupMenu, RunsTheChosenItemAfterTheMenuClosesAndReturnsNullWhenDismissed) {
    TApplication application;
    application.Initialize();
    OwnerForm* owner = application.CreateForm<OwnerForm>();
    owner->Show();

    TPopupMenu popup;
    std::vector<std::string> journal;
    popup.OnPopup = [&] { journal.push_back("popup"); };
    TMenuItem& first = popup.Items.Add(L"&First");
    first.OnClick = [&](TMenuItem& item) {
        // The menu is gone by now.
        journal.push_back(FindWindowW(L"#32768", nullptr) != nullptr && IsWindowVisible(FindWindowW(L"#32768", nullptr))
                              ? "click with the menu open"
                              : "click " + std::to_string(item.Tag));
    };
    first.Tag = 7;
    popup.Items.Add(L"-");
    popup.Items.Add(L"&Second").Enabled = false;

    struct Case {
        std::vector<UINT> keys;
        TMenuItem* chosen;
    };
    const Case cases[] = {{{VK_DOWN, VK_RETURN}, &first}, {{VK_ESCAPE}, nullptr}};
    for (const Case& c : cases) {
        journal.clear();
        TMenuItem* chosen = nullptr;
        EXPECT_TRUE(TestSupport::ChooseFromMenu(owner->Handle(), c.keys, [&] {
            chosen = popup.Popup(owner->Handle(), 120, 130);
        })) << "the menu did not close";
        EXPECT_EQ(chosen, c.chosen);
        EXPECT_EQ(popup.PopupPoint().x, 120);
        EXPECT_EQ(popup.PopupPoint().y, 130);
        if (c.chosen != nullptr) {
            EXPECT_THAT(journal, ElementsAre("popup", "click 7"));
        } else {
            EXPECT_THAT(journal, ElementsAre("popup"));
        }
    }
}

#pragma once

#include "foundation/win32/UniqueHandle.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TGraphic;

// One entry of a menu, and the menu of its children. A caption of "-" makes a separator; "&"
// marks the letter that chooses the item from the keyboard ("&&" shows one "&").
class TMenuItem {
public:
    TMenuItem() = default;
    explicit TMenuItem(std::wstring caption) : Caption(std::move(caption)) {}
    TMenuItem(const TMenuItem&) = delete;
    TMenuItem& operator=(const TMenuItem&) = delete;

    std::wstring Caption;
    std::intptr_t Tag = 0;
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
    // A checked radio item shows a dot instead of a tick.
    bool RadioItem = false;
    // The item's image, not owned; drawn with its transparency at the menu's image size.
    const TGraphic* Bitmap = nullptr;
    std::function<void(TMenuItem&)> OnClick;

    // Appends a child, owned by this item, and returns it.
    TMenuItem& Add(std::wstring caption);
    void Clear() { mItems.clear(); }
    std::size_t Count() const { return mItems.size(); }
    TMenuItem& operator[](std::size_t index) { return *mItems.at(index); }
    const TMenuItem& operator[](std::size_t index) const { return *mItems.at(index); }
    TMenuItem* Parent() const { return mParent; }
    bool IsLine() const { return Caption == L"-"; }

    // Raises OnClick; an exception out of it goes to the application's handler.
    void Click();

private:
    TMenuItem* mParent = nullptr;
    std::vector<std::unique_ptr<TMenuItem>> mItems;
};

// How menu items show their images.
enum class TMenuImageMode {
    // A 32-bit bitmap with premultiplied alpha, which the system blends itself (Windows
    // Vista and later).
    imBlendedBitmap,
    // Drawn by the program when the menu asks its owner window (WM_MEASUREITEM and
    // WM_DRAWITEM), for systems that copy a menu bitmap without its transparency (Wine).
    imOwnerDrawn,
};

// The system's popup menu for the visible children of an item tree, with command ids that map
// back to the items. It owns the menu and the images it made for it; both go with it.
class TNativeMenu {
public:
    explicit TNativeMenu(const TMenuItem& root, TMenuImageMode mode = DefaultImageMode());
    ~TNativeMenu();
    TNativeMenu(const TNativeMenu&) = delete;
    TNativeMenu& operator=(const TNativeMenu&) = delete;

    HMENU Handle() const { return mMenu; }
    // The item behind a command id; null for 0 (nothing chosen) and unknown ids.
    TMenuItem* ItemOf(UINT id) const;
    // The command id of an item of the tree; 0 when it is not in the menu.
    UINT IdOf(const TMenuItem& item) const;
    // The side of the square menu images, in pixels.
    static int ImageSize();
    // The mode that shows images well on the running system.
    static TMenuImageMode DefaultImageMode();

    // Measures or draws an owner-drawn image of a live menu; while one lives, every window of the
    // program hands WM_MEASUREITEM and WM_DRAWITEM here first (TWindow's message previewers).
    // False when the message is not about one.
    static bool OwnerDrawMessage(UINT message, LPARAM lParam, LRESULT& result);

private:
    struct Image;
    HMENU Build(const TMenuItem& parent);

    TMenuImageMode mMode;
    HMENU mMenu = nullptr;
    std::vector<TMenuItem*> mItems;
    std::vector<Tessel::Common::UniqueBitmap> mBitmaps;
    std::vector<std::unique_ptr<Image>> mImages;
};

// A menu shown at a screen point, with the item tree it shows.
// The visible items of a menu on one line, for the log: captions joined by " | ", submenus in
// brackets, checked items marked "(x)", disabled ones "(disabled)".
std::wstring DescribeMenu(const TMenuItem& root);

class TPopupMenu {
public:
    TMenuItem Items;
    std::intptr_t Tag = 0;
    // Raised before the menu shows, so that it can be brought up to date.
    std::function<void()> OnPopup;

    // Shows the menu at a screen point for the owner window (null: TWindow::DefaultOwner) and
    // waits until it closes. Then runs the chosen item's OnClick (an exception out of it goes to
    // the application's handler) and returns the item; null when the menu was dismissed.
    TMenuItem* Popup(HWND owner, int x, int y);
    // The screen point of the last Popup.
    POINT PopupPoint() const { return mPopupPoint; }

private:
    POINT mPopupPoint{0, 0};
};

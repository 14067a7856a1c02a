#include "framework/Menus.h"

#include "foundation/logging/Log.h"

#include "framework/ErrorSink.h"
#include "graphics/Graphic.h"
#include "framework/ImageList.h"
#include "framework/PixelScaling.h"
#include "framework/Window.h"

#include <algorithm>
#include <cstring>

using Tessel::Common::UniqueBitmap;

namespace {

// A menu image: a bottom-up 32-bit bitmap with premultiplied alpha, the form in which menus
// blend an image over their background.
HBITMAP MakeMenuBitmap(const TGraphic& picture, int size) {
    const std::vector<std::uint32_t> pixels = PremultipliedPixels(picture, size, size);
    if (pixels.empty()) {
        return nullptr;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
        return bitmap;
    }
    auto* rows = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < size; ++y) {
        std::memcpy(rows + static_cast<std::size_t>(size - 1 - y) * size,
                    pixels.data() + static_cast<std::size_t>(y) * size,
                    static_cast<std::size_t>(size) * sizeof(std::uint32_t));
    }
    return bitmap;
}

} // namespace

TMenuItem& TMenuItem::Add(std::wstring caption) {
    mItems.push_back(std::make_unique<TMenuItem>(std::move(caption)));
    mItems.back()->mParent = this;
    return *mItems.back();
}

void TMenuItem::Click() {
    if (OnClick) {
        // A copy: the handler may replace itself or clear the menu it belongs to.
        const auto handler = OnClick;
        Guarded([&] { handler(*this); });
    }
}

// An owner-drawn image, found again through the item data of its menu item. A menu in which
// some item has an image gives one to every item (most without a picture), so that the system
// measures all their texts alike.
struct TNativeMenu::Image {
    std::unique_ptr<TAlphaImage> picture;
    std::unique_ptr<TAlphaImage> faded;
};

namespace {

// The owner-drawn images of the menus that exist now: a message about anything else is not ours.
std::vector<const void*> gLiveImages;

// Sees the messages of every window while some menu has owner-drawn images: a menu asks its
// owner window to measure and draw them.
bool PreviewOwnerDraw(UINT message, WPARAM /*wParam*/, LPARAM lParam, LRESULT& result) {
    return (message == WM_MEASUREITEM || message == WM_DRAWITEM) &&
           TNativeMenu::OwnerDrawMessage(message, lParam, result);
}

bool RunningOnWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

} // namespace

TNativeMenu::TNativeMenu(const TMenuItem& root, TMenuImageMode mode) : mMode(mode) {
    mMenu = Build(root);
}

TNativeMenu::~TNativeMenu() {
    // The menu goes before the images it shows.
    if (mMenu != nullptr) {
        DestroyMenu(mMenu);
    }
    for (const auto& image : mImages) {
        gLiveImages.erase(std::remove(gLiveImages.begin(), gLiveImages.end(), image.get()), gLiveImages.end());
    }
    if (gLiveImages.empty()) {
        TWindow::RemoveMessagePreviewer(PreviewOwnerDraw);
    }
}

int TNativeMenu::ImageSize() {
    return std::max(GetSystemMetrics(SM_CXSMICON), 1);
}

TMenuImageMode TNativeMenu::DefaultImageMode() {
    static const TMenuImageMode mode = RunningOnWine() ? TMenuImageMode::imOwnerDrawn : TMenuImageMode::imBlendedBitmap;
    return mode;
}

HMENU TNativeMenu::Build(const TMenuItem& parent) {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        return nullptr;
    }
    bool anyImage = false;
    for (std::size_t i = 0; i < parent.Count(); ++i) {
        anyImage = anyImage || (parent[i].Visible && !parent[i].IsLine() && parent[i].Bitmap != nullptr &&
                                !parent[i].Bitmap->Empty());
    }
    UINT position = 0;
    for (std::size_t i = 0; i < parent.Count(); ++i) {
        const TMenuItem& item = parent[i];
        if (!item.Visible) {
            continue;
        }
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        HMENU submenu = nullptr;
        if (item.IsLine()) {
            info.fMask = MIIM_FTYPE;
            info.fType = MFT_SEPARATOR;
        } else {
            mItems.push_back(const_cast<TMenuItem*>(&item));
            info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
            info.fType = item.RadioItem ? MFT_RADIOCHECK : MFT_STRING;
            info.fState = (item.Checked ? MFS_CHECKED : 0u) | (item.Enabled ? 0u : MFS_DISABLED);
            info.wID = static_cast<UINT>(mItems.size());
            info.dwTypeData = const_cast<wchar_t*>(item.Caption.c_str());
            if (item.Count() > 0) {
                submenu = Build(item);
                if (submenu != nullptr) {
                    info.fMask |= MIIM_SUBMENU;
                    info.hSubMenu = submenu;
                }
            }
            const bool hasImage = item.Bitmap != nullptr && !item.Bitmap->Empty();
            if (mMode == TMenuImageMode::imBlendedBitmap && hasImage) {
                UniqueBitmap bitmap(MakeMenuBitmap(*item.Bitmap, ImageSize()));
                if (bitmap) {
                    info.fMask |= MIIM_BITMAP;
                    info.hbmpItem = bitmap.Get();
                    mBitmaps.push_back(std::move(bitmap));
                }
            } else if (mMode == TMenuImageMode::imOwnerDrawn && anyImage) {
                auto image = std::make_unique<Image>();
                if (hasImage) {
                    std::vector<std::uint32_t> pixels = PremultipliedPixels(*item.Bitmap, ImageSize(), ImageSize());
                    image->picture = MakeAlphaImage(pixels, ImageSize(), ImageSize());
                    FadePremultiplied(pixels, 110);
                    image->faded = MakeAlphaImage(pixels, ImageSize(), ImageSize());
                }
                info.fMask |= MIIM_BITMAP | MIIM_DATA;
                info.hbmpItem = HBMMENU_CALLBACK;
                info.dwItemData = reinterpret_cast<ULONG_PTR>(image.get());
                gLiveImages.push_back(image.get());
                TWindow::AddMessagePreviewer(PreviewOwnerDraw);
                mImages.push_back(std::move(image));
            }
        }
        if (InsertMenuItemW(menu, position, TRUE, &info)) {
            ++position;
        } else if (submenu != nullptr) {
            DestroyMenu(submenu);
        }
    }
    return menu;
}

bool TNativeMenu::OwnerDrawMessage(UINT message, LPARAM lParam, LRESULT& result) {
    const auto live = [](ULONG_PTR data) {
        return data != 0 && std::find(gLiveImages.begin(), gLiveImages.end(), reinterpret_cast<const void*>(data)) !=
                                gLiveImages.end();
    };
    if (message == WM_MEASUREITEM) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure == nullptr || measure->CtlType != ODT_MENU || !live(measure->itemData)) {
            return false;
        }
        measure->itemWidth = static_cast<UINT>(ImageSize());
        measure->itemHeight = static_cast<UINT>(ImageSize());
        result = TRUE;
        return true;
    }
    if (message == WM_DRAWITEM) {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (draw == nullptr || draw->CtlType != ODT_MENU || !live(draw->itemData)) {
            return false;
        }
        const auto* image = reinterpret_cast<const Image*>(draw->itemData);
        const TAlphaImage* picture =
            (draw->itemState & (ODS_DISABLED | ODS_GRAYED)) ? image->faded.get() : image->picture.get();
        if (picture != nullptr && !picture->Empty()) {
            const RECT& r = draw->rcItem;
            picture->Draw(draw->hDC, r.left + ((r.right - r.left) - picture->Width()) / 2,
                          r.top + ((r.bottom - r.top) - picture->Height()) / 2);
        }
        result = TRUE;
        return true;
    }
    return false;
}

TMenuItem* TNativeMenu::ItemOf(UINT id) const {
    if (id == 0 || id > mItems.size()) {
        return nullptr;
    }
    return mItems[id - 1];
}

UINT TNativeMenu::IdOf(const TMenuItem& item) const {
    const auto found = std::find(mItems.begin(), mItems.end(), &item);
    return found == mItems.end() ? 0 : static_cast<UINT>(found - mItems.begin() + 1);
}

std::wstring DescribeMenu(const TMenuItem& root) {
    std::wstring text;
    for (std::size_t i = 0; i < root.Count(); ++i) {
        const TMenuItem& item = const_cast<TMenuItem&>(root)[i];
        if (!item.Visible) {
            continue;
        }
        if (!text.empty()) {
            text += L" | ";
        }
        text += item.Caption;
        if (item.Count() > 0) {
            text += L" [" + DescribeMenu(item) + L"]";
        }
        if (item.Checked) {
            text += L" (x)";
        }
        if (!item.Enabled) {
            text += L" (disabled)";
        }
    }
    return text;
}

TMenuItem* TPopupMenu::Popup(HWND owner, int x, int y) {
    mPopupPoint = POINT{x, y};
    if (OnPopup) {
        OnPopup();
    }
    LOG_DBG("TPopupMenu::Popup", L"Menu: " << DescribeMenu(Items));
    if (owner == nullptr) {
        owner = TWindow::DefaultOwner();
    }
    TMenuItem* chosen = nullptr;
    {
        TNativeMenu menu(Items);
        if (menu.Handle() == nullptr || owner == nullptr) {
            return nullptr;
        }
        // Without the foreground the menu would not close when the user clicks elsewhere, and
        // without a message after it, it would close only on the second click.
        SetForegroundWindow(owner);
        const UINT id = static_cast<UINT>(TrackPopupMenu(
            menu.Handle(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, x, y, 0, owner, nullptr));
        PostMessageW(owner, WM_NULL, 0, 0);
        chosen = menu.ItemOf(id);
    }
    if (chosen != nullptr) {
        chosen->Click();
    }
    return chosen;
}

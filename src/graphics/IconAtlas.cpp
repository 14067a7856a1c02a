#include "graphics/IconAtlas.h"

#include "graphics/Graphic.h"

#include <algorithm>
#include <cstring>

using Tessel::Common::UniqueBitmap;
using Tessel::Common::UniqueIcon;
using Tessel::Common::UniqueMemoryDc;

namespace {

std::uint64_t HashPixels(const std::vector<std::uint32_t>& pixels) {
    // FNV-1a over the pixel values.
    std::uint64_t hash = 14695981039346656037ull;
    for (const std::uint32_t pixel : pixels) {
        hash = (hash ^ pixel) * 1099511628211ull;
    }
    return hash;
}

} // namespace

IconAtlas::Ref::Ref(IconAtlas* atlas, int slot) : mAtlas(atlas), mSlot(slot) {
    mAtlas->AddRef(mSlot);
}

IconAtlas::Ref::Ref(const Ref& other) : mAtlas(other.mAtlas), mSlot(other.mSlot) {
    if (mAtlas != nullptr) {
        mAtlas->AddRef(mSlot);
    }
}

IconAtlas::Ref& IconAtlas::Ref::operator=(const Ref& other) {
    if (this != &other) {
        if (other.mAtlas != nullptr) {
            other.mAtlas->AddRef(other.mSlot);
        }
        Release();
        mAtlas = other.mAtlas;
        mSlot = other.mSlot;
    }
    return *this;
}

IconAtlas::Ref::Ref(Ref&& other) noexcept : mAtlas(other.mAtlas), mSlot(other.mSlot) {
    other.mAtlas = nullptr;
    other.mSlot = -1;
}

IconAtlas::Ref& IconAtlas::Ref::operator=(Ref&& other) noexcept {
    if (this != &other) {
        Release();
        mAtlas = other.mAtlas;
        mSlot = other.mSlot;
        other.mAtlas = nullptr;
        other.mSlot = -1;
    }
    return *this;
}

IconAtlas::Ref::~Ref() {
    Release();
}

void IconAtlas::Ref::Release() noexcept {
    if (mAtlas != nullptr) {
        mAtlas->ReleaseSlot(mSlot);
        mAtlas = nullptr;
        mSlot = -1;
    }
}

void IconAtlas::Ref::Draw(HDC dc, int x, int y) const {
    if (mAtlas == nullptr) {
        return;
    }
    const int size = mAtlas->mSize;
    const RECT dest{x, y, x + size, y + size};
    if (!RectVisible(dc, &dest)) {
        return;
    }
    const Page& page = *mAtlas->mPages[static_cast<std::size_t>(mSlot / SlotsPerPage)];
    const int inPage = mSlot % SlotsPerPage;
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, x, y, size, size, page.dc.Get(), (inPage % SlotsPerRow) * size, (inPage / SlotsPerRow) * size,
                  size, size, blend);
}

std::vector<std::uint32_t> IconAtlas::Ref::Pixels() const {
    if (mAtlas == nullptr) {
        return {};
    }
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(mAtlas->mSize) * mAtlas->mSize);
    mAtlas->ReadSlot(mSlot, pixels.data());
    return pixels;
}

UniqueIcon IconAtlas::Ref::MakeIconHandle() const {
    if (mAtlas == nullptr) {
        return UniqueIcon();
    }
    const int size = mAtlas->mSize;
    std::uint32_t* bits = nullptr;
    UniqueBitmap color(CreateTopDownDib(size, size, &bits));
    UniqueBitmap mask(CreateBitmap(size, size, 1, 1, nullptr));
    if (!color || !mask) {
        return UniqueIcon();
    }
    // Icons carry straight alpha: each channel is divided by its pixel's alpha again.
    const std::vector<std::uint32_t> pixels = Pixels();
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const std::uint32_t p = pixels[i];
        const std::uint32_t alpha = p >> 24;
        if (alpha == 0) {
            bits[i] = 0;
            continue;
        }
        const auto straight = [&](int shift) {
            return std::min<std::uint32_t>(255, (((p >> shift) & 0xFF) * 255 + alpha / 2) / alpha);
        };
        bits[i] = (alpha << 24) | (straight(16) << 16) | (straight(8) << 8) | straight(0);
    }
    // An all-zero mask: the alpha channel alone says where the icon is transparent.
    std::vector<std::uint8_t> zeros(static_cast<std::size_t>((size + 15) / 16 * 2) * size, 0);
    SetBitmapBits(mask.Get(), static_cast<LONG>(zeros.size()), zeros.data());
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = color.Get();
    info.hbmMask = mask.Get();
    // The icon keeps copies of both bitmaps; ours go at the end of the scope.
    return UniqueIcon(CreateIconIndirect(&info));
}

IconAtlas::IconAtlas(int iconSize) : mSize(std::max(iconSize, 1)) {}

IconAtlas::~IconAtlas() = default;

std::uint32_t* IconAtlas::SlotPixels(int slot) const {
    const Page& page = *mPages[static_cast<std::size_t>(slot / SlotsPerPage)];
    const int inPage = slot % SlotsPerPage;
    const std::size_t pageWidth = static_cast<std::size_t>(mSize) * SlotsPerRow;
    return page.pixels + static_cast<std::size_t>(inPage / SlotsPerRow) * mSize * pageWidth +
           static_cast<std::size_t>(inPage % SlotsPerRow) * mSize;
}

void IconAtlas::ReadSlot(int slot, std::uint32_t* out) const {
    const std::uint32_t* from = SlotPixels(slot);
    const std::size_t pageWidth = static_cast<std::size_t>(mSize) * SlotsPerRow;
    for (int y = 0; y < mSize; ++y) {
        std::memcpy(out + static_cast<std::size_t>(y) * mSize, from + y * pageWidth, mSize * sizeof(std::uint32_t));
    }
}

bool IconAtlas::MakePage() {
    auto page = std::make_unique<Page>();
    const int side = mSize * SlotsPerRow;
    page->bitmap.Reset(CreateTopDownDib(side, side, &page->pixels));
    page->dc.Reset(CreateCompatibleDC(nullptr));
    if (!page->bitmap || !page->dc) {
        return false;
    }
    // Kept selected for the page's whole life, so drawing an icon costs one blend.
    SelectObject(page->dc.Get(), page->bitmap.Get());
    const int first = static_cast<int>(mPages.size()) * SlotsPerPage;
    mPages.push_back(std::move(page));
    mRefCounts.resize(mRefCounts.size() + SlotsPerPage, 0);
    mHashes.resize(mHashes.size() + SlotsPerPage, 0);
    // Handed out from the front of the page first.
    for (int slot = first + SlotsPerPage - 1; slot >= first; --slot) {
        mFreeSlots.push_back(slot);
    }
    return true;
}

IconAtlas::Ref IconAtlas::Add(const std::vector<std::uint32_t>& pixels) {
    const std::size_t count = static_cast<std::size_t>(mSize) * mSize;
    if (pixels.size() != count) {
        return Ref();
    }
    const std::uint64_t hash = HashPixels(pixels);
    std::vector<std::uint32_t> held(count);
    const auto [first, last] = mSlotsByHash.equal_range(hash);
    for (auto it = first; it != last; ++it) {
        ReadSlot(it->second, held.data());
        if (held == pixels) {
            return Ref(this, it->second);
        }
    }
    if (mFreeSlots.empty() && !MakePage()) {
        return Ref();
    }
    const int slot = mFreeSlots.back();
    mFreeSlots.pop_back();
    std::uint32_t* to = SlotPixels(slot);
    const std::size_t pageWidth = static_cast<std::size_t>(mSize) * SlotsPerRow;
    // Nothing draws into a page, but a blend from it may still be queued.
    GdiFlush();
    for (int y = 0; y < mSize; ++y) {
        std::memcpy(to + y * pageWidth, pixels.data() + static_cast<std::size_t>(y) * mSize,
                    mSize * sizeof(std::uint32_t));
    }
    mHashes[static_cast<std::size_t>(slot)] = hash;
    mSlotsByHash.emplace(hash, slot);
    ++mIconCount;
    return Ref(this, slot);
}

void IconAtlas::ReleaseSlot(int slot) noexcept {
    int& count = mRefCounts[static_cast<std::size_t>(slot)];
    if (--count > 0) {
        return;
    }
    const auto [first, last] = mSlotsByHash.equal_range(mHashes[static_cast<std::size_t>(slot)]);
    for (auto it = first; it != last; ++it) {
        if (it->second == slot) {
            mSlotsByHash.erase(it);
            break;
        }
    }
    mFreeSlots.push_back(slot);
    --mIconCount;
}

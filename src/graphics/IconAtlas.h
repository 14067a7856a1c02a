#pragma once

#include "foundation/win32/UniqueHandle.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

// Icons of one size kept side by side in a few large shared bitmaps (pages of 256 icons), so
// that the number of system objects stays small whatever the number of icons: two per page
// instead of a bitmap and an icon handle per shortcut. Identical pixels are kept once and shared.
// An icon stays while a Ref holds it; its place is then reused. UI thread only; the atlas must
// outlive every Ref to it.
class IconAtlas {
public:
    static constexpr int SlotsPerRow = 16;
    static constexpr int SlotsPerPage = SlotsPerRow * SlotsPerRow;

    // A counted hold on one icon of an atlas; empty when there is none.
    class Ref {
    public:
        Ref() = default;
        Ref(const Ref& other);
        Ref& operator=(const Ref& other);
        Ref(Ref&& other) noexcept;
        Ref& operator=(Ref&& other) noexcept;
        ~Ref();

        bool Empty() const { return mAtlas == nullptr; }
        explicit operator bool() const { return !Empty(); }
        bool operator==(const Ref& other) const { return mAtlas == other.mAtlas && mSlot == other.mSlot; }
        // The icon's place in its atlas, the same for every Ref to the same pixels; -1 when empty.
        int Slot() const { return mSlot; }

        // Blends the icon over dc with its top-left corner at (x, y); nothing when empty.
        void Draw(HDC dc, int x, int y) const;
        // The icon's premultiplied pixels, row by row from the top; empty when there is none.
        std::vector<std::uint32_t> Pixels() const;
        // A new icon handle with these pixels, for an API that wants one (a drag image); null
        // when empty or when the system refuses.
        Tessel::Common::UniqueIcon MakeIconHandle() const;

    private:
        friend class IconAtlas;
        Ref(IconAtlas* atlas, int slot);
        void Release() noexcept;

        IconAtlas* mAtlas = nullptr;
        int mSlot = -1;
    };

    explicit IconAtlas(int iconSize);
    ~IconAtlas();
    IconAtlas(const IconAtlas&) = delete;
    IconAtlas& operator=(const IconAtlas&) = delete;

    int IconSize() const { return mSize; }
    // Adds an icon of size x size premultiplied 0xAARRGGBB pixels; the same pixels added again
    // share the icon already there. Empty when pixels has the wrong size or no page can be made.
    Ref Add(const std::vector<std::uint32_t>& pixels);

    // Icons held now, and pages made so far (each holds one bitmap and one device context).
    int IconCount() const { return mIconCount; }
    int PageCount() const { return static_cast<int>(mPages.size()); }

private:
    struct Page {
        Tessel::Common::UniqueBitmap bitmap;
        // Declared after the bitmap, so it goes first: it holds the bitmap selected.
        Tessel::Common::UniqueMemoryDc dc;
        std::uint32_t* pixels = nullptr;
    };

    std::uint32_t* SlotPixels(int slot) const;
    // Copies one slot's pixels out of its page; row by row, since a page is wider than an icon.
    void ReadSlot(int slot, std::uint32_t* out) const;
    bool MakePage();
    void AddRef(int slot) { ++mRefCounts[static_cast<std::size_t>(slot)]; }
    void ReleaseSlot(int slot) noexcept;

    int mSize;
    std::vector<std::unique_ptr<Page>> mPages;
    std::vector<int> mRefCounts;
    std::vector<std::uint64_t> mHashes;
    std::vector<int> mFreeSlots;
    std::unordered_multimap<std::uint64_t, int> mSlotsByHash;
    int mIconCount = 0;
};

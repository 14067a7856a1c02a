#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// What the first-run fill puts into the two new groups, decided from the items found in the
// user's and the public Desktop folders and in the Start menu's program folders: uninstallers and
// read-me shortcuts are left out, shortcuts to the same target are merged, broken ones skipped,
// at most MaxPerGroup per group, ordered by their names. Free of any file system: the caller
// lists and resolves the items.
namespace FirstRunPlan {

inline constexpr std::size_t MaxPerGroup = 200;
inline constexpr wchar_t DesktopGroupName[] = L"Desktop";
inline constexpr wchar_t ProgramsGroupName[] = L"Programs";

enum class ItemKind {
    Shortcut,         // ".lnk", copied as it is
    InternetShortcut, // ".url", copied as it is
    Program,          // ".exe", gets a new shortcut
    Other,            // anything else found in the folders; never taken
};

// The kind a file name's extension gives (case-insensitive).
ItemKind KindOf(std::wstring_view fileName);

struct FoundItem {
    std::wstring path; // the file in the user's folder
    ItemKind kind = ItemKind::Other;
    // What it opens: the resolved target path of a ".lnk" (empty when it points at an item that
    // has no path, such as a control-panel entry), the URL of a ".url", the path of an ".exe".
    std::wstring target;
    bool broken = false;
    std::wstring problem; // why it is broken, for the log
};

// The name an item is shown and sorted by: its file name without folder and extension.
std::wstring NameOf(const std::wstring& path);

struct Skipped {
    std::wstring path;
    std::wstring reason;
};

struct Group {
    std::wstring name;
    std::vector<FoundItem> items; // in display order
};

struct Plan {
    Group desktop{DesktopGroupName, {}};
    Group programs{ProgramsGroupName, {}};
    // Everything found and not taken, with the reason, for the log.
    std::vector<Skipped> skipped;
};

// Items are given in the order they were found, the user's folders before the public ones, so
// that of two shortcuts to the same target the user's own is kept.
Plan Make(const std::vector<FoundItem>& desktop, const std::vector<FoundItem>& programs);

// Why an item is not worth a place on the panel (an uninstaller, a read-me, a help file), or
// empty when it is.
std::wstring WhyLeftOut(const FoundItem& item);

} // namespace FirstRunPlan

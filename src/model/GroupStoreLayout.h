#pragma once

#include "foundation/ini/IniDocument.h"

#include <cstddef>
#include <string_view>
#include <vector>

inline constexpr wchar_t GroupStoreFileName[] = L"groups.txt";

// The numbered sections a group store holds ("Group-g" and "Group-g-Link-k"), so that loading
// visits the sections that are there instead of counting up to a number written in the file:
// what loading costs then follows the size of the file.
class GroupStoreLayout {
public:
    explicit GroupStoreLayout(const Tessel::Common::IniDocument& store);

    // The group numbers a store of groupCount groups yields, ascending: every group section
    // numbered below groupCount, and for the numbers without a section of their own (which give
    // groups of default settings) the first maxWithoutSection of them; the others are left out.
    std::vector<std::size_t> Groups(int groupCount, std::size_t maxWithoutSection) const;
    // The numbers of the group's shortcut sections below linkCount, ascending. An entry without
    // a section names no shortcut file, so there is nothing else to visit.
    std::vector<std::size_t> Links(std::size_t group, int linkCount) const;

    // The same shortcut sections with the section of the store each one reads from.
    struct LinkSection {
        std::size_t link = 0;
        Tessel::Common::IniDocument::SectionId section = Tessel::Common::IniDocument::NoSection;
    };
    std::vector<LinkSection> LinkSections(std::size_t group, int linkCount) const;
    // The section of the store a group reads from; NoSection for a group without one.
    Tessel::Common::IniDocument::SectionId GroupSection(std::size_t group) const;

    bool HasGroupSections() const { return !mGroups.empty(); }
    // How many shortcut sections the store holds, counted once each.
    std::size_t LinkSectionCount() const;

private:
    struct Numbered {
        std::size_t group = 0;
        std::size_t link = 0;
        Tessel::Common::IniDocument::SectionId section = Tessel::Common::IniDocument::NoSection;
    };
    // Both ascending by number, each number once; the store is indexed, not searched again.
    std::vector<Numbered> mGroups;
    std::vector<Numbered> mLinks;
};

// Whether a stored "Lnk" value is a name a shortcut file in the Data folder may have: a plain
// file name (no folder, drive or stream part, no character the file system refuses, not ending
// in a dot or a blank, which the system would drop), not a device ("NUL", "CON", "COM1.lnk",
// ...) and not the store itself or one of its companion files ("groups.txt.bak", ...).
bool IsShortcutFileName(std::wstring_view name);

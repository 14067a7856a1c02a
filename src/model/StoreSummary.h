#pragma once

#include "foundation/ini/IniDocument.h"

#include <cstddef>
#include <string>
#include <vector>

// What a group store names, read the way loading reads it: the groups it yields and the
// shortcut files of their entries.
struct StoreSummary {
    struct Link {
        std::wstring name;
        bool showToolTip = true;
    };
    struct Group {
        int x = 0;
        int y = 0;
        int column = 0;
        bool isLargeIcon = true;
        bool isTitleVisible = false;
        // Absent when the store gives none.
        bool hasBackground = false;
        int backgroundIndex = 0;
        // Entries whose "Lnk" is a shortcut file name, in order.
        std::vector<Link> links;
    };

    std::vector<Group> groups;
    // Every shortcut file name the groups name, each once (letter case ignored), in order.
    std::vector<std::wstring> fileNames;
    // Entries whose "Lnk" is not a shortcut file name; left out above.
    std::size_t badNames = 0;
};

// Groups beyond these are left out, as loading leaves them out.
inline constexpr std::size_t SummaryMaxGroupsWithoutSection = 1000;
inline constexpr std::size_t SummaryMaxGroups = 2000;

StoreSummary SummarizeStore(const Tessel::Common::IniDocument& store);

// The key under which a Windows file system takes two names for the same file.
std::wstring FileNameKey(const std::wstring& name);

#include "model/StoreSummary.h"

#include "foundation/archive/ZipEntryName.h"
#include "model/GroupStoreLayout.h"

#include <unordered_set>

std::wstring FileNameKey(const std::wstring& name) {
    return Tessel::Common::Archive::ZipEntryNameKey(name);
}

StoreSummary SummarizeStore(const Tessel::Common::IniDocument& store) {
    StoreSummary summary;
    const GroupStoreLayout layout(store);
    std::vector<std::size_t> groups =
        layout.Groups(store.ReadInteger(L"Group", L"GroupCount", 0), SummaryMaxGroupsWithoutSection);
    if (groups.size() > SummaryMaxGroups) {
        groups.resize(SummaryMaxGroups);
    }
    std::unordered_set<std::wstring> seen;
    for (const std::size_t g : groups) {
        const std::wstring section = L"Group-" + std::to_wstring(g);
        StoreSummary::Group group;
        group.x = store.ReadInteger(section, L"X", 0);
        group.y = store.ReadInteger(section, L"Y", 0);
        group.column = store.ReadInteger(section, L"Column", 0);
        group.isLargeIcon = store.ReadBool(section, L"IsLargeIcon", true);
        group.isTitleVisible = store.ReadBool(section, L"IsTitleVisible", false);
        group.hasBackground = store.TryReadInteger(section, L"BackgroundIndex", group.backgroundIndex);
        for (const std::size_t k : layout.Links(g, store.ReadInteger(section, L"LinkCount", 0))) {
            const std::wstring linkSection = section + L"-Link-" + std::to_wstring(k);
            std::wstring name = store.ReadString(linkSection, L"Lnk", L"");
            if (!IsShortcutFileName(name)) {
                if (!name.empty()) {
                    ++summary.badNames;
                }
                continue;
            }
            if (seen.insert(FileNameKey(name)).second) {
                summary.fileNames.push_back(name);
            }
            group.links.push_back({std::move(name), store.ReadBool(linkSection, L"IsShowingToolTip", true)});
        }
        summary.groups.push_back(std::move(group));
    }
    return summary;
}

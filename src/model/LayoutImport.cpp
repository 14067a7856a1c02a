#include "model/LayoutImport.h"

#include "foundation/logging/Log.h"
#include "foundation/win32/AtomicFile.h"
#include "model/OrvexModel.h"
#include "model/ShortcutFactory.h"

#include <windows.h>

LayoutImportOutcome AddImportedGroups(OrvexModel& model, const LayoutArchive::ImportResult& import, int dx, int dy) {
    LayoutImportOutcome outcome;
    const std::wstring& folder = model.GetDataFolder();
    for (const LayoutArchive::ImportedGroup& imported : import.groups) {
        const StoreSummary::Group& s = imported.settings;
        LinkGroupModel* group = model.AddGroup(s.x + dx, s.y + dy);
        LinkGroupSettings& settings = group->GetSettings();
        settings.SetColumn(s.column);
        settings.SetIsLargeIcon(s.isLargeIcon);
        settings.SetIsTitleVisible(s.isTitleVisible);
        if (s.hasBackground) {
            settings.SetBackgroundIndex(s.backgroundIndex);
        }
        for (const LayoutArchive::ImportedLink& link : imported.links) {
            std::wstring problem;
            const std::wstring path = ShortcutFactory::NewShortcutPath(folder, problem);
            if (path.empty()) {
                LOG_ERR("AddImportedGroups", L"No name for the shortcut " << link.name << L", skipped: " << problem);
                continue;
            }
            DWORD error = 0;
            if (!Tessel::Common::ReplaceFileAtomically(path, link.bytes, &error)) {
                DeleteFileW(path.c_str());
                LOG_ERR("AddImportedGroups", L"The shortcut " << link.name << L" could not be written to " << path
                                                              << L" (error " << error << L"), skipped");
                continue;
            }
            const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
            group->AppendLink(name, path)->SetIsShowingToolTip(link.showToolTip);
            ++outcome.shortcuts;
        }
        outcome.groups.push_back(group);
    }
    model.SetChanged();
    LOG_INF("AddImportedGroups",
            L"Imported " << outcome.groups.size() << L" groups, " << outcome.shortcuts << L" shortcuts");
    return outcome;
}

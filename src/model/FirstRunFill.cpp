#include "model/FirstRunFill.h"

#include "foundation/logging/Log.h"
#include "foundation/win32/AtomicFile.h"
#include "foundation/win32/DataFolder.h"
#include "model/OrvexModel.h"
#include "model/ShellLinkFile.h"
#include "model/ShortcutFactory.h"
#include "model/WindowsFileStore.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>

namespace FirstRunFill {

using FirstRunPlan::FoundItem;
using FirstRunPlan::ItemKind;

namespace {

// Shortcut and internet-shortcut files are a few kilobytes; anything far larger is not one.
constexpr std::uint64_t MaxCopiedFileBytes = 1 << 20;
constexpr DWORD MaxUrlLength = 4096;

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

void AddKnownFolder(int csidl, std::vector<std::wstring>& folders) {
    wchar_t path[MAX_PATH] = {};
    const HRESULT result = SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    if (FAILED(result) || path[0] == L'\0') {
        LOG_INF("FirstRunFill::FoldersOfThisUser", L"The system knows no folder " << csidl << L" (" << result << L")");
        return;
    }
    const std::wstring folder(path);
    if (std::none_of(folders.begin(), folders.end(), [&](const std::wstring& f) { return SamePath(f, folder); })) {
        folders.push_back(folder);
    }
}

struct Listing {
    std::vector<std::wstring> files;
    std::vector<std::wstring> folders;
};

Listing List(const std::wstring& folder) {
    Listing listing;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        LOG_INF("FirstRunFill::FindItems", L"Folder not listed (error " << GetLastError() << L"): " << folder);
        return listing;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            // A folder link could lead back up the tree.
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
                listing.folders.push_back(folder + L"\\" + name);
            }
        } else {
            listing.files.push_back(folder + L"\\" + name);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    const auto byName = [](const std::wstring& a, const std::wstring& b) {
        return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
    };
    std::sort(listing.files.begin(), listing.files.end(), byName);
    std::sort(listing.folders.begin(), listing.folders.end(), byName);
    return listing;
}

void Find(const std::wstring& folder, int depth, std::vector<FoundItem>& items) {
    const Listing listing = List(folder);
    for (const std::wstring& file : listing.files) {
        items.push_back(ExamineItem(file));
    }
    if (depth > 0) {
        for (const std::wstring& subfolder : listing.folders) {
            Find(subfolder, depth - 1, items);
        }
    }
}

std::wstring HexCode(HRESULT result) {
    wchar_t code[16] = {};
    swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(result));
    return code;
}

void ExamineShortcut(FoundItem& item) {
    Microsoft::WRL::ComPtr<IShellLinkW> link;
    const HRESULT opened = ShellLinkFile::Open(item.path, link);
    if (FAILED(opened)) {
        item.broken = true;
        item.problem = L"the shortcut cannot be read (" + HexCode(opened) + L")";
        return;
    }
    wchar_t target[MAX_PATH] = {};
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_UNCPRIORITY))) {
        target[0] = L'\0';
    }
    item.target = target;
    if (item.target.empty()) {
        // A shortcut to a shell item without a path (a control-panel entry) has only an ID list.
        PIDLIST_ABSOLUTE list = nullptr;
        if (FAILED(link->GetIDList(&list)) || list == nullptr) {
            item.broken = true;
            item.problem = L"the shortcut points at nothing";
        }
        CoTaskMemFree(list);
        return;
    }
    if (!Tessel::Common::FileExists(item.target) && !Tessel::Common::DirectoryExists(item.target)) {
        item.broken = true;
        item.problem = L"its target " + item.target + L" is missing";
    }
}

void ExamineInternetShortcut(FoundItem& item) {
    std::wstring url(MaxUrlLength, L'\0');
    url.resize(GetPrivateProfileStringW(L"InternetShortcut", L"URL", L"", url.data(), MaxUrlLength, item.path.c_str()));
    item.target = url;
    if (item.target.empty()) {
        item.broken = true;
        item.problem = L"the internet shortcut holds no URL";
    }
}

// Writes the file for one item under a fresh name in folder; its path, or empty with the reason.
std::wstring WriteCopy(const FoundItem& item, const std::wstring& folder, std::wstring& problem) {
    const bool copied = item.kind != ItemKind::Program;
    std::string bytes;
    if (copied) {
        WindowsFileStore files;
        if (!files.Read(item.path, MaxCopiedFileBytes, bytes)) {
            problem = L"the file cannot be read or is larger than " + std::to_wstring(MaxCopiedFileBytes) + L" bytes";
            return L"";
        }
    }
    const std::wstring path =
        ShortcutFactory::NewFilePath(folder, item.kind == ItemKind::InternetShortcut ? L".url" : L".lnk", problem);
    if (path.empty()) {
        return L"";
    }
    if (copied) {
        DWORD error = 0;
        if (!Tessel::Common::ReplaceFileAtomically(path, bytes, &error)) {
            DeleteFileW(path.c_str());
            problem = L"the copy " + path + L" could not be written (error " + std::to_wstring(error) + L")";
            return L"";
        }
        return path;
    }
    const HRESULT written = ShortcutFactory::CreateShortcutToPath(path, item.path);
    if (FAILED(written)) {
        DeleteFileW(path.c_str());
        problem = L"the shortcut " + path + L" could not be written (" + HexCode(written) + L")";
        return L"";
    }
    return path;
}

} // namespace

Folders FoldersOfThisUser() {
    Folders folders;
    AddKnownFolder(CSIDL_DESKTOPDIRECTORY, folders.desktop);
    AddKnownFolder(CSIDL_COMMON_DESKTOPDIRECTORY, folders.desktop);
    AddKnownFolder(CSIDL_PROGRAMS, folders.programs);
    AddKnownFolder(CSIDL_COMMON_PROGRAMS, folders.programs);
    return folders;
}

std::vector<FoundItem> FindItems(const std::vector<std::wstring>& folders, int subfolderDepth) {
    std::vector<FoundItem> items;
    for (const std::wstring& folder : folders) {
        Find(folder, subfolderDepth, items);
    }
    return items;
}

FoundItem ExamineItem(const std::wstring& path) {
    FoundItem item;
    item.path = path;
    item.kind = FirstRunPlan::KindOf(path);
    switch (item.kind) {
    case ItemKind::Shortcut:
        ExamineShortcut(item);
        break;
    case ItemKind::InternetShortcut:
        ExamineInternetShortcut(item);
        break;
    case ItemKind::Program:
        item.target = path;
        break;
    case ItemKind::Other:
        break;
    }
    return item;
}

std::vector<const FirstRunPlan::Group*> GroupsToMake(const FirstRunPlan::Plan& plan) {
    std::vector<const FirstRunPlan::Group*> groups;
    for (const FirstRunPlan::Group* group : {&plan.desktop, &plan.programs}) {
        if (!group->items.empty()) {
            groups.push_back(group);
        }
    }
    return groups;
}

Outcome AddGroups(OrvexModel& model, const FirstRunPlan::Plan& plan, const std::vector<Placement>& placements) {
    Outcome outcome;
    const std::wstring& folder = model.GetDataFolder();
    const std::vector<const FirstRunPlan::Group*> groups = GroupsToMake(plan);
    for (std::size_t g = 0; g < groups.size(); ++g) {
        std::vector<std::wstring> written;
        for (const FoundItem& item : groups[g]->items) {
            std::wstring problem;
            std::wstring path = WriteCopy(item, folder, problem);
            if (path.empty()) {
                LOG_ERR("FirstRunFill::AddGroups",
                        L"Not added to \"" << groups[g]->name << L"\": " << item.path << L": " << problem);
                outcome.failed.push_back({item.path, problem});
                continue;
            }
            written.push_back(std::move(path));
        }
        if (written.empty()) {
            // An empty card would only be something more for the user to remove.
            LOG_ERR("FirstRunFill::AddGroups", L"Group \"" << groups[g]->name << L"\" not made: no shortcut written");
            continue;
        }
        const Placement place = g < placements.size() ? placements[g] : Placement{};
        LinkGroupModel* group = model.AddGroup(place.x, place.y);
        LinkGroupSettings& settings = group->GetSettings();
        if (place.columns > 0) {
            settings.SetColumn(place.columns);
        }
        settings.SetIsLargeIcon(true);
        settings.SetIsTitleVisible(true);
        for (const std::wstring& path : written) {
            group->AppendLink(path.substr(path.find_last_of(L'\\') + 1), path);
        }
        outcome.shortcuts += written.size();
        LOG_INF("FirstRunFill::AddGroups", L"Group \"" << groups[g]->name << L"\" made at (" << place.x << L", "
                                                       << place.y << L") with " << written.size() << L" shortcuts");
        outcome.groups.push_back(group);
    }
    if (!outcome.groups.empty()) {
        model.SetChanged();
    }
    return outcome;
}

} // namespace FirstRunFill

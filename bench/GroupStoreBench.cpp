// Loads and saves group stores of growing size and prints the times, beside the same load done
// through GetPrivateProfileStringW key by key. Run by hand:
//   WINEPREFIX=$PWD/build/wine/unit cmake/wine-exec build/bench/group_store_bench.exe
//       [--no-profile] [--breakdown] [GROUPS...]   (one command line)
// --breakdown also times the steps of a load one by one: reading and parsing the file, finding
// the sections, the look-ups of every value, and the check that each shortcut file exists.
// Each store has 50 shortcuts per group, and every shortcut file exists in the Data folder; by
// default the stores have 20, 50, 100 and 200 groups (1,000 to 10,000 shortcuts).

#include "foundation/win32/AtomicFile.h"
#include "foundation/win32/DataFolder.h"
#include "foundation/win32/IniFile.h"
#include "model/GroupStoreLayout.h"
#include "model/OrvexModel.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int LinksPerGroup = 50;

double Milliseconds(std::chrono::steady_clock::duration elapsed) {
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

template <typename Action> double Time(Action&& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return Milliseconds(std::chrono::steady_clock::now() - start);
}

std::wstring MakeFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, base);
    const std::wstring folder = std::wstring(base) + L"tb-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                DeleteFileW((folder + L"\\" + found.cFileName).c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

void EnsureShortcutFiles(const std::wstring& folder, int count) {
    for (int i = 0; i < count; ++i) {
        const std::wstring path = folder + L"\\zzz" + std::to_wstring(i) + L".lnk";
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            continue;
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
}

int ProfileInt(const std::wstring& section, const wchar_t* key, int defaultValue, const std::wstring& path) {
    return static_cast<int>(GetPrivateProfileIntW(section.c_str(), key, defaultValue, path.c_str()));
}

// The same load, one profile-function call per key, as the store was read by the profile API.
std::size_t LoadThroughProfileFunctions(const std::wstring& folder) {
    const std::wstring path = folder + L"\\groups.txt";
    std::size_t links = 0;
    const int groups = ProfileInt(L"Group", L"GroupCount", 0, path);
    for (int g = 0; g < groups; ++g) {
        const std::wstring section = L"Group-" + std::to_wstring(g);
        for (const wchar_t* key : {L"X", L"Y", L"Column", L"IsLargeIcon", L"IsTitleVisible", L"BackgroundIndex"}) {
            ProfileInt(section, key, 0, path);
        }
        const int count = ProfileInt(section, L"LinkCount", 0, path);
        for (int k = 0; k < count; ++k) {
            const std::wstring linkSection = section + L"-Link-" + std::to_wstring(k);
            wchar_t name[MAX_PATH] = {};
            GetPrivateProfileStringW(linkSection.c_str(), L"Lnk", L"", name, MAX_PATH, path.c_str());
            ProfileInt(linkSection, L"IsShowingToolTip", 1, path);
            if (Tessel::Common::FileExists(folder + L"\\" + name))
                ++links;
        }
    }
    return links;
}

// The steps of OrvexModel::Load timed one by one on the same store.
void PrintBreakdown(const std::wstring& folder, int links) {
    using Tessel::Common::IniFile;
    const double leftoversMs = Time([&] {
        Tessel::Common::RemoveLeftoverTemporaryFiles(folder + L"\\groups.txt", {L".bak", L".unreadable"});
    });
    std::size_t listed = 0;
    const double listMs = Time([&] {
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found,
                                               FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                ++listed;
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
    });
    // The parts of reading and parsing: the bytes, their text, the document made of it.
    std::string bytes;
    const double bytesMs = Time([&] {
        DWORD error = 0;
        const Tessel::Common::UniqueFileHandle handle =
            Tessel::Common::OpenFileForReading(folder + L"\\groups.txt", error);
        LARGE_INTEGER size{};
        GetFileSizeEx(handle.Get(), &size);
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD read = 0;
        ReadFile(handle.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        bytes.resize(read);
    });
    std::wstring text;
    const double decodeMs = Time([&] { text = IniFile::Decode(bytes); });
    std::size_t sections = 0;
    const double parseMs = Time([&] {
        const auto document = Tessel::Common::IniDocument::ParseOwned(std::move(text));
        sections = document.SectionNames().size();
    });
    IniFile file(folder + L"\\groups.txt");
    const double readMs = Time([&] { file.Load(); });
    const auto& store = file.Document();
    std::vector<std::size_t> groups;
    const double layoutMs = Time([&] {
        const GroupStoreLayout layout(store);
        groups = layout.Groups(store.ReadInteger(L"Group", L"GroupCount", 0), OrvexModel::MaxGroupsWithoutSection);
    });
    std::vector<std::wstring> names;
    names.reserve(static_cast<std::size_t>(links));
    const double lookupMs = Time([&] {
        for (const std::size_t g : groups) {
            const std::wstring section = L"Group-" + std::to_wstring(g);
            const int count = store.ReadInteger(section, L"LinkCount", 0);
            for (int k = 0; k < count; ++k) {
                const std::wstring linkSection = section + L"-Link-" + std::to_wstring(k);
                names.push_back(store.ReadString(linkSection, L"Lnk", L""));
                store.ReadBool(linkSection, L"IsShowingToolTip", true);
            }
        }
    });
    std::size_t found = 0;
    const double existsMs = Time([&] {
        for (const auto& name : names)
            found += Tessel::Common::FileExists(Tessel::Common::JoinPath(folder, name)) ? 1 : 0;
    });
    std::size_t foundInListing = 0;
    const double setMs = Time([&] {
        Tessel::Common::FolderFiles files(folder);
        files.LimitTo(2 * static_cast<std::size_t>(links) + 64);
        for (const auto& name : names)
            foundInListing += files.Exists(name) ? 1 : 0;
    });
    std::printf("  breakdown of %d: leftover temporaries %.1f ms, listing the folder %.1f ms (%zu names), "
                "listing and checking as a load does %.1f ms (%zu found)\n",
                links, leftoversMs, listMs, listed, setMs, foundInListing);
    std::printf("  breakdown of %d: bytes read %.1f ms, decoded %.1f ms, parsed %.1f ms (%zu sections)\n", links,
                bytesMs, decodeMs, parseMs, sections);
    std::printf("  breakdown of %d: read and parse %.1f ms, sections %.1f ms, look-ups %.1f ms, "
                "file checks %.1f ms (%zu found)\n",
                links, readMs, layoutMs, lookupMs, existsMs, found);
}

} // namespace

int main(int argc, char** argv) {
    bool withProfile = true;
    bool breakdown = false;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--no-profile") {
            withProfile = false;
        } else if (arg == "--breakdown") {
            breakdown = true;
        } else if (const int groups = std::atoi(arg.c_str()); groups > 0 && groups <= 10000) {
            sizes.push_back(groups);
        } else {
            std::fprintf(stderr, "not a group count between 1 and 10000: %s\n", arg.c_str());
            return 2;
        }
    }
    if (sizes.empty()) {
        sizes = {20, 50, 100, 200};
    }
    const std::wstring folder = MakeFolder();
    std::printf("%8s %8s %10s %10s %14s %18s\n", "groups", "links", "save ms", "load ms", "load us/link",
                withProfile ? "profile load ms" : "");
    for (const int groups : sizes) {
        const int links = groups * LinksPerGroup;
        EnsureShortcutFiles(folder, links);

        OrvexModel model;
        model.SetDataFolder(folder);
        int next = 0;
        for (int g = 0; g < groups; ++g) {
            LinkGroupModel* group = model.AddGroup(g * 10, g * 5);
            for (int k = 0; k < LinksPerGroup; ++k, ++next) {
                const std::wstring name = L"zzz" + std::to_wstring(next) + L".lnk";
                group->AppendLink(name, folder + L"\\" + name);
            }
        }
        const double saveMs = Time([&] { model.Save(); });

        OrvexModel loaded;
        loaded.SetDataFolder(folder);
        const double loadMs = Time([&] { loaded.Load(); });
        std::size_t loadedLinks = 0;
        for (const auto& group : loaded.GetGroups())
            loadedLinks += group->GetLinks().size();
        if (loadedLinks != static_cast<std::size_t>(links)) {
            std::printf("loaded %zu shortcuts instead of %d\n", loadedLinks, links);
            return 1;
        }

        std::string profile;
        if (withProfile) {
            std::size_t profileLinks = 0;
            const double profileMs = Time([&] { profileLinks = LoadThroughProfileFunctions(folder); });
            profile = std::to_string(static_cast<long long>(profileMs + 0.5));
            if (profileLinks != static_cast<std::size_t>(links))
                profile += " (wrong count)";
        }
        std::printf("%8d %8d %10.1f %10.1f %14.2f %18s\n", groups, links, saveMs, loadMs, loadMs * 1000.0 / links,
                    profile.c_str());
        if (breakdown)
            PrintBreakdown(folder, links);
        std::fflush(stdout);
    }
    RemoveFolder(folder);
    return 0;
}

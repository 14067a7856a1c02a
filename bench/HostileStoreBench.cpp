// Loads tiny hostile group stores and prints how long OrvexModel::Load took and how much memory
// the process needed at its peak (GetProcessMemoryInfo). Each store is loaded in a process of its
// own, so that every peak belongs to one store. Run by hand:
//   WINEPREFIX=$PWD/build/wine/unit cmake/wine-exec build/bench/hostile_store_bench.exe
// loads the stores whose counts are 2000000000 and whose one section has the number 999999999.
//   ... hostile_store_bench.exe groups|links <section number>
// loads one such store with a smaller section number, to see how the cost grows with it.
//   groups: GroupCount=2000000000 and one group section, "Group-<n>";
//   links:  one group with LinkCount=2000000000 and one shortcut section, "Group-0-Link-<n>".

#include "model/OrvexModel.h"

#include <psapi.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string MakeStore(const std::string& kind, unsigned long long section) {
    const std::string number = std::to_string(section);
    if (kind == "groups") {
        return "[Group]\r\nGroupCount=2000000000\r\n[Group-" + number + "]\r\nX=1\r\n";
    }
    return "[Group]\r\nGroupCount=1\r\n[Group-0]\r\nLinkCount=2000000000\r\n[Group-0-Link-" + number +
           "]\r\nLnk=a.lnk\r\n";
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

double Megabytes(SIZE_T bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

int LoadOne(const std::string& kind, unsigned long long section) {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, base);
    const std::wstring folder = std::wstring(base) + L"tb-hostile-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring store = folder + L"\\groups.txt";
    const std::wstring shortcut = folder + L"\\a.lnk";
    const std::string bytes = MakeStore(kind, section);
    if (!WriteBytes(store, bytes) || !WriteBytes(shortcut, "shortcut")) {
        std::printf("cannot write the store in the temporary folder\n");
        return 1;
    }

    OrvexModel model;
    model.SetDataFolder(folder);
    const SIZE_T before = Memory().WorkingSetSize;
    const auto start = std::chrono::steady_clock::now();
    model.Load();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const SIZE_T peak = Memory().PeakWorkingSetSize;
    std::size_t links = 0;
    for (const auto& group : model.GetGroups()) {
        links += group->GetLinks().size();
    }
    std::printf("%-6s %12llu %6zu %10zu %7zu %12.4f %14.1f %14.1f\n", kind.c_str(), section, bytes.size(),
                model.GetGroups().size(), links, seconds, Megabytes(peak), Megabytes(peak - before));
    std::fflush(stdout);

    DeleteFileW(store.c_str());
    DeleteFileW(shortcut.c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}

// Runs this program again for one store and waits for it.
int LoadInChild(const char* kind, unsigned long long section) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" " + (kind[0] == 'g' ? L"groups " : L"links ") +
                           std::to_wstring(section) + L" --no-header";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("cannot start %ls\n", self);
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

void PrintHeader() {
    std::printf("%-6s %12s %6s %10s %7s %12s %14s %14s\n", "store", "section", "bytes", "groups", "links", "load s",
                "peak WS MB", "load peak MB");
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3) {
        if (!(argc > 3 && std::string(argv[3]) == "--no-header")) {
            PrintHeader();
        }
        return LoadOne(argv[1], std::strtoull(argv[2], nullptr, 10));
    }
    PrintHeader();
    int status = 0;
    status |= LoadInChild("groups", 999999999ull);
    status |= LoadInChild("links", 999999999ull);
    return status;
}

#include "app/LayoutCommand.h"

#include "forms/LayoutKeeper.h"
#include "forms/LayoutRequest.h"
#include "foundation/lang/Exception.h"
#include "foundation/logging/Log.h"
#include "foundation/text/Utf8.h"
#include "foundation/win32/DataFolder.h"
#include "model/OrvexModel.h"

#include <windows.h>

#include <shellapi.h>

#include <cwctype>

namespace {

// The panel of a running copy, which answers the request. A copy that is starting gets a few
// seconds to show it.
HWND FindRunningPanel() {
    for (int i = 0; i < 100; ++i) {
        if (HWND panel = FindWindowW(L"TMainForm", L"Tilebay")) {
            return panel;
        }
        Sleep(100);
    }
    return nullptr;
}

// The area imported groups are placed in when no panel tells its size: within the smallest
// panel a screen gives.
constexpr GroupGeometry::Rect DefaultArea{8, 36, 1000, 600};

void Tell(const std::wstring& text) {
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err == nullptr || err == INVALID_HANDLE_VALUE) {
        if (AttachConsole(ATTACH_PARENT_PROCESS)) {
            err = GetStdHandle(STD_ERROR_HANDLE);
        }
    }
    if (err == nullptr || err == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string bytes = Tessel::Common::Utf16ToUtf8(text + L"\n");
    DWORD written = 0;
    WriteFile(err, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

int Fail(const std::wstring& text, int code = 1) {
    LOG_ERR("RunLayoutCommand", text);
    Tell(L"Tilebay: " + text);
    return code;
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return path;
    }
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    full.resize(length < needed ? length : 0);
    return full.empty() ? path : full;
}

int AskRunningCopy(bool exporting, const std::wstring& path) {
    HWND panel = FindRunningPanel();
    if (panel == nullptr) {
        return Fail(L"Tilebay runs, but its panel could not be found to hand the request to");
    }
    COPYDATASTRUCT data{};
    data.dwData = exporting ? LayoutRequest::ExportCode : LayoutRequest::ImportCode;
    data.cbData = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(path.c_str());
    DWORD_PTR answer = 0;
    LOG_INF("RunLayoutCommand", L"Handing the request to the running copy: " << path);
    if (!SendMessageTimeoutW(panel, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 300000, &answer)) {
        return Fail(L"The running Tilebay did not answer (error " + std::to_wstring(GetLastError()) + L")");
    }
    if (answer != static_cast<DWORD_PTR>(LayoutRequest::Done)) {
        return Fail(std::wstring(exporting ? L"Export" : L"Import") + L" of " + path +
                    L" failed in the running Tilebay; its log says why");
    }
    LOG_INF("RunLayoutCommand", L"The running copy has done it");
    return 0;
}

int RunHere(bool exporting, const std::wstring& path) {
    const std::wstring dataFolder = Tessel::Common::GetDataFolderPath();
    const std::wstring links = Tessel::Common::JoinPath(dataFolder, L"Data");
    Tessel::Common::ForceDirectories(links);
    LayoutKeeper keeper;
    keeper.SetDataFolder(dataFolder);
    if (exporting) {
        const std::wstring error = keeper.Export(path);
        return error.empty() ? 0 : Fail(L"Export to " + path + L" failed: " + error);
    }
    OrvexModel model;
    model.SetDataFolder(links);
    model.Load();
    model.BeforeStoreChange = [&] { keeper.KeepBeforeChange(model.LoadProblem().empty()); };
    const LayoutArchive::ImportResult import = keeper.Read(path);
    if (!import.Ok()) {
        return Fail(L"Import of " + path + L" failed: " + import.error);
    }
    keeper.AddTo(model, import, DefaultArea, model.LoadProblem().empty());
    try {
        model.Save();
    } catch (const Exception& e) {
        return Fail(L"Import of " + path + L" failed: " + e.Message());
    }
    return 0;
}

} // namespace

std::vector<std::wstring> ProgramArguments() {
    std::vector<std::wstring> args;
    int count = 0;
    LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
    if (list == nullptr) {
        return args;
    }
    for (int i = 1; i < count; ++i) {
        args.emplace_back(list[i]);
    }
    LocalFree(list);
    return args;
}

LayoutCommand ParseLayoutCommand(const std::vector<std::wstring>& args) {
    LayoutCommand command;
    if (args.empty()) {
        return command;
    }
    std::wstring option = args[0];
    for (wchar_t& c : option) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    if (option == L"/export" || option == L"-export") {
        command.kind = LayoutCommand::Kind::Export;
    } else if (option == L"/import" || option == L"-import") {
        command.kind = LayoutCommand::Kind::Import;
    } else {
        return command;
    }
    if (args.size() != 2 || args[1].empty()) {
        command.kind = LayoutCommand::Kind::Invalid;
        command.problem = L"Usage: Tilebay.exe " + option + L" <file.zip>";
        return command;
    }
    command.path = args[1];
    return command;
}

int RunLayoutCommand(const LayoutCommand& command, bool anotherRunning) {
    if (command.kind == LayoutCommand::Kind::Invalid) {
        return Fail(command.problem, 2);
    }
    const bool exporting = command.kind == LayoutCommand::Kind::Export;
    const std::wstring path = FullPath(command.path);
    LOG_INF("RunLayoutCommand", (exporting ? L"Export to " : L"Import from ") << path);
    return anotherRunning ? AskRunningCopy(exporting, path) : RunHere(exporting, path);
}

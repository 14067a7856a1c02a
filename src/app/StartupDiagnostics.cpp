#include "app/StartupDiagnostics.h"

#include "foundation/logging/Log.h"
#include "foundation/win32/DataFolder.h"
#include "foundation/win32/OsVersion.h"
#include "foundation/win32/WindowsFileVersionInfoReader.h"

#include <windows.h>

namespace {

std::wstring ReadBufferedText(UINT (*read)(LPWSTR, UINT)) {
    wchar_t buffer[MAX_PATH] = {};
    const UINT length = read(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return std::wstring(buffer, length);
}

std::wstring ReadCurrentDirectory() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) {
        return {};
    }
    std::wstring directory(needed, L'\0');
    const DWORD length = GetCurrentDirectoryW(needed, directory.data());
    directory.resize(length < needed ? length : 0);
    return directory;
}

BOOL CALLBACK CollectMonitor(HMONITOR, HDC, LPRECT bounds, LPARAM data) {
    auto* monitors = reinterpret_cast<std::vector<MonitorSize>*>(data);
    monitors->push_back({bounds->right - bounds->left, bounds->bottom - bounds->top});
    return TRUE;
}

} // namespace

RuntimeEnvironment ReadRuntimeEnvironment() {
    RuntimeEnvironment environment;
    const Tessel::Common::OsVersion& os = Tessel::Common::GetOsVersion();
    environment.platformId = os.platformId;
    environment.major = os.major;
    environment.minor = os.minor;
    environment.build = os.build;
    environment.servicePack = os.servicePack;
    environment.windowsDirectory = ReadBufferedText(GetWindowsDirectoryW);
    environment.systemDirectory = ReadBufferedText(GetSystemDirectoryW);
    environment.userName = Tessel::Common::CurrentUserName();
    environment.workingDirectory = ReadCurrentDirectory();
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&environment.monitors));
    return environment;
}

void WriteRuntimeEnvironment(const RuntimeEnvironment& e) {
    constexpr const char* function = "LogRuntimeEnvironmentInfo";
    LOG_INF(function, L"OS : Platform ID = " << e.platformId << L", Version = " << e.major << L"." << e.minor << L"."
                                             << e.build << L" " << e.servicePack);
    LOG_INF(function, L"Windows Directory : " << e.windowsDirectory);
    LOG_INF(function, L"System Directory : " << e.systemDirectory);
    LOG_INF(function, L"User : " << e.userName);
    LOG_INF(function, L"Working Directory : " << e.workingDirectory);
    LOG_INF(function, L"Monitor Count : " << e.monitors.size());
    for (std::size_t i = 0; i < e.monitors.size(); ++i) {
        LOG_INF(function, L"  Monitor[" << i << L"] : " << e.monitors[i].width << L", " << e.monitors[i].height);
    }
}

void LogProductInfo() {
    LOG_INF("LogProductInfo", L"Release version");
    Tessel::Common::FileVersion version;
    Tessel::Common::WindowsFileVersionInfoReader reader;
    reader.ReadVersion(Tessel::Common::GetProgramFilePath(), version);
    LOG_INF("LogProductInfo", Tessel::Common::FormatVersion(version));
}

void LogRuntimeEnvironmentInfo() {
    WriteRuntimeEnvironment(ReadRuntimeEnvironment());
}

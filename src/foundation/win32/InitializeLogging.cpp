#include "foundation/win32/InitializeLogging.h"

#include "foundation/logging/Log.h"
#include "foundation/time/IDateTime.h"
#include "foundation/win32/DataFolder.h"
#include "foundation/win32/FileAppender.h"

#include <windows.h>

#include <memory>

namespace Tessel::Common::Logging {

namespace {

// Starts within one second beyond this many share the last name.
constexpr int MaxLogFilesPerSecond = 100;

} // namespace

void InitializeLogging() {
    InitializeLogging(GetDataFolderPath());
}

void InitializeLogging(const std::wstring& dataFolder) {
    const std::wstring logFolder = JoinPath(dataFolder, L"Log");
    ForceDirectories(dataFolder);
    CreateDirectoryW(logFolder.c_str(), nullptr);

    SetLogLevel(LogLevelInfo);
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(JoinPath(logFolder, L"debug.txt").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        SetLogLevel(LogLevelDebug);
    }

    auto appender = std::make_unique<FileAppender>();
    DateTime clock;
    const std::wstring started = JoinPath(logFolder, clock.Format(clock.Now(), L"%y%m%d-%H%M%S"));
    // One file per run: a start within the same second as another takes the next free number.
    for (int number = 1;; ++number) {
        const std::wstring name = started + (number == 1 ? std::wstring() : L"_" + std::to_wstring(number)) + L".log";
        DWORD error = ERROR_SUCCESS;
        if (appender->OpenNew(name, error)) {
            break;
        }
        if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || number == MaxLogFilesPerSecond) {
            // Not made now (no folder yet, say): the lines are kept and written once it can be.
            appender->SetFileName(name);
            appender->Open();
            break;
        }
    }
    AppenderCollection::Instance().Add(std::move(appender));
}

} // namespace Tessel::Common::Logging

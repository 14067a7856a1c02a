#include "foundation/win32/InitializeLogging.h"

#include "foundation/logging/Log.h"
#include "foundation/time/IDateTime.h"
#include "foundation/win32/DataFolder.h"
#include "foundation/win32/FileAppender.h"

#include <windows.h>

#include <memory>

namespace Tessel::Common::Logging {

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
    appender->SetFileName(JoinPath(logFolder, clock.Format(clock.Now(), L"%y%m%d-%H%M%S.log")));
    appender->Open();
    AppenderCollection::Instance().Add(std::move(appender));
}

} // namespace Tessel::Common::Logging

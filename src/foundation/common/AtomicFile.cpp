#include "foundation/common/AtomicFile.h"

#include "foundation/common/UniqueHandle.h"
#include "foundation/logging/Log.h"

#include <algorithm>

namespace Tessel::Common {

namespace {

constexpr int RenameAttempts = 10;
constexpr DWORD RenameRetryDelayMs = 100;

bool IsTransientRenameError(DWORD code) {
    return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

} // namespace

bool ReplaceFileAtomically(const std::wstring& path, std::string_view bytes, DWORD* error) {
    const std::wstring temporary = path + L".tmp";
    const auto fail = [&](const wchar_t* step, DWORD code, bool removeTemporary) {
        if (removeTemporary) {
            DeleteFileW(temporary.c_str());
        }
        LOG_ERR("ReplaceFileAtomically", step << L" failed for " << path << L" (error " << code << L")");
        if (error != nullptr) {
            *error = code;
        }
        return false;
    };

    UniqueFileHandle file(
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        // Whatever stands at that name (a folder, a file someone holds) is not ours to remove.
        return fail(L"Creating the temporary file", GetLastError(), false);
    }
    if (!WriteAll(file.Get(), bytes)) {
        const DWORD code = GetLastError();
        file.Reset();
        return fail(L"Writing the temporary file", code, true);
    }
    if (!FlushFileBuffers(file.Get())) {
        const DWORD code = GetLastError();
        file.Reset();
        return fail(L"Flushing the temporary file", code, true);
    }
    if (!file.Reset()) {
        return fail(L"Closing the temporary file", GetLastError(), true);
    }

    DWORD code = ERROR_SUCCESS;
    for (int attempt = 1; attempt <= RenameAttempts; ++attempt) {
        if (MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        code = GetLastError();
        if (!IsTransientRenameError(code) || attempt == RenameAttempts) {
            break;
        }
        Sleep(RenameRetryDelayMs);
    }
    return fail(L"Replacing the file", code, true);
}

} // namespace Tessel::Common

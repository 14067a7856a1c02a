#include "foundation/win32/AtomicFile.h"

#include "foundation/logging/Log.h"
#include "foundation/win32/UniqueHandle.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace Tessel::Common {

namespace {

constexpr int RenameAttempts = 10;
constexpr DWORD RenameRetryDelayMs = 100;
constexpr int OpenAttempts = 10;
constexpr DWORD OpenRetryDelayMs = 100;
constexpr int MaxKeptCopies = 100;

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

// Gives the finished temporary file the target's name, trying again while another program holds
// the target for a moment.
bool RenameInPlace(const std::wstring& temporary, const std::wstring& target, bool replace, DWORD& code) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    code = ERROR_SUCCESS;
    for (int attempt = 1; attempt <= RenameAttempts; ++attempt) {
        if (MoveFileExW(temporary.c_str(), target.c_str(), flags)) {
            return true;
        }
        code = GetLastError();
        if (!IsTransientRenameError(code) || attempt == RenameAttempts) {
            break;
        }
        Sleep(RenameRetryDelayMs);
    }
    return false;
}

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                        static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Whether rest (a name less the file's name and ".tmp") is one of the suffixes, or a suffix with
// the number of a further copy.
bool IsTemporarySuffix(std::wstring_view rest, std::initializer_list<std::wstring_view> suffixes) {
    if (rest.empty()) {
        return true;
    }
    for (const std::wstring_view suffix : suffixes) {
        if (rest.size() < suffix.size() || !EqualsIgnoringCase(rest.substr(0, suffix.size()), suffix)) {
            continue;
        }
        const std::wstring_view number = rest.substr(suffix.size());
        if (std::all_of(number.begin(), number.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; })) {
            return true;
        }
    }
    return false;
}

} // namespace

UniqueFileHandle OpenFileForReading(const std::wstring& path, DWORD& error) {
    for (int attempt = 1;; ++attempt) {
        UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        error = file ? ERROR_SUCCESS : GetLastError();
        if (file || error != ERROR_SHARING_VIOLATION || attempt == OpenAttempts) {
            return file;
        }
        Sleep(OpenRetryDelayMs);
    }
}

bool FileHoldsBytes(const std::wstring& path, std::string_view bytes) {
    DWORD error = ERROR_SUCCESS;
    const UniqueFileHandle file = OpenFileForReading(path, error);
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size) || static_cast<std::uint64_t>(size.QuadPart) != bytes.size()) {
        return false;
    }
    std::string buffer(std::min<std::size_t>(bytes.size(), 64 * 1024), '\0');
    while (!bytes.empty()) {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min(buffer.size(), bytes.size()));
        if (!ReadFile(file.Get(), buffer.data(), chunk, &read, nullptr) || read == 0 ||
            bytes.substr(0, read) != std::string_view(buffer.data(), read)) {
            return false;
        }
        bytes.remove_prefix(read);
    }
    return true;
}

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

    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        // A read-only file is the user's wish to keep it as it is. Checked here, because a rename
        // over it is refused by some systems and allowed by others.
        return fail(L"Replacing the read-only file", ERROR_ACCESS_DENIED, false);
    }
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
    if (RenameInPlace(temporary, path, true, code)) {
        return true;
    }
    return fail(L"Replacing the file", code, true);
}

bool CopyFileAtomically(const std::wstring& source, const std::wstring& target, bool replace, DWORD* error) {
    const std::wstring temporary = target + L".tmp";
    const auto fail = [&](const wchar_t* step, DWORD code, bool removeTemporary) {
        if (removeTemporary) {
            DeleteFileW(temporary.c_str());
        }
        LOG_ERR("CopyFileAtomically",
                step << L" failed for a copy of " << source << L" as " << target << L" (error " << code << L")");
        if (error != nullptr) {
            *error = code;
        }
        return false;
    };

    DWORD code = ERROR_SUCCESS;
    const UniqueFileHandle from = OpenFileForReading(source, code);
    if (!from) {
        return fail(L"Opening the file", code, false);
    }
    UniqueFileHandle to(
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!to) {
        return fail(L"Creating the temporary file", GetLastError(), false);
    }
    std::string buffer(64 * 1024, '\0');
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(from.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
            code = GetLastError();
            to.Reset();
            return fail(L"Reading the file", code, true);
        }
        if (read == 0) {
            break;
        }
        if (!WriteAll(to.Get(), std::string_view(buffer.data(), read))) {
            code = GetLastError();
            to.Reset();
            return fail(L"Writing the temporary file", code, true);
        }
    }
    if (!FlushFileBuffers(to.Get())) {
        code = GetLastError();
        to.Reset();
        return fail(L"Flushing the temporary file", code, true);
    }
    if (!to.Reset()) {
        return fail(L"Closing the temporary file", GetLastError(), true);
    }
    if (RenameInPlace(temporary, target, replace, code)) {
        return true;
    }
    return fail(L"Naming the copy", code, true);
}

bool KeepCopyBeside(const std::wstring& path, const std::wstring& suffix, std::wstring& copy) {
    copy.clear();
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    for (int n = 0; n < MaxKeptCopies; ++n) {
        const std::wstring name = path + suffix + (n == 0 ? std::wstring() : std::to_wstring(n));
        if (GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES) {
            continue;
        }
        DWORD code = ERROR_SUCCESS;
        if (CopyFileAtomically(path, name, false, &code)) {
            copy = name;
            return true;
        }
        if (code == ERROR_FILE_NOT_FOUND) {
            return true;
        }
        if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    LOG_ERR("KeepCopyBeside", L"No free name for another copy of " << path << L" as " << path + suffix << L"<n>");
    return false;
}

int RemoveLeftoverTemporaryFiles(const std::wstring& path, std::initializer_list<std::wstring_view> suffixes) {
    const std::size_t slash = path.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    const std::wstring_view name = std::wstring_view(path).substr(folder.size());
    constexpr std::wstring_view Extension = L".tmp";
    WIN32_FIND_DATAW found{};
    const UniqueFindHandle search(FindFirstFileW((path + L"*" + std::wstring(Extension)).c_str(), &found));
    if (!search) {
        return 0;
    }
    int removed = 0;
    do {
        const std::wstring_view each = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || each.size() < name.size() + Extension.size() ||
            !EqualsIgnoringCase(each.substr(0, name.size()), name) ||
            !EqualsIgnoringCase(each.substr(each.size() - Extension.size()), Extension) ||
            !IsTemporarySuffix(each.substr(name.size(), each.size() - name.size() - Extension.size()), suffixes)) {
            continue;
        }
        const std::wstring leftover = folder + std::wstring(each);
        if (DeleteFileW(leftover.c_str())) {
            ++removed;
            LOG_INF("RemoveLeftoverTemporaryFiles", L"Removed " << leftover << L", left by a write that was cut short");
        } else {
            LOG_ERR("RemoveLeftoverTemporaryFiles", L"Cannot remove " << leftover
                                                                      << L", left by a write that was cut short (error "
                                                                      << GetLastError() << L")");
        }
    } while (FindNextFileW(search.Get(), &found));
    return removed;
}

} // namespace Tessel::Common

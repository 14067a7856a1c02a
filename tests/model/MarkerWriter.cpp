// Test helper started through a shortcut: writes its arguments after the first, one per line,
// and then its working folder, into the file named by its first argument.

#include <windows.h>

#include <shellapi.h>

#include <string>

int main() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count < 2) {
        return 2;
    }
    std::wstring text;
    for (int i = 2; i < count; ++i) {
        text += arguments[i];
        text += L"\n";
    }
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    text += folder;
    // Written under another name first, so that a waiting test never sees half a file.
    const std::wstring marker = arguments[1];
    const std::wstring partial = marker + L".partial";
    const HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    MoveFileExW(partial.c_str(), marker.c_str(), MOVEFILE_REPLACE_EXISTING);
    LocalFree(arguments);
    return 0;
}

#include "app/InstanceGuard.h"

#include "foundation/common/UniqueHandle.h"

#include <windows.h>

std::wstring MakeInstanceMutexName(const std::wstring& userName) {
    return L"Tilebay" + userName;
}

bool IsAnotherInstanceRunning() {
    // Held until the process ends; the system releases it then.
    static Tessel::Common::UniqueHandle guard;

    wchar_t userName[255] = {};
    DWORD size = ARRAYSIZE(userName);
    if (!GetUserNameW(userName, &size)) {
        userName[0] = L'\0';
    }
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, MakeInstanceMutexName(userName).c_str());
    const DWORD error = GetLastError();
    if (mutex == nullptr) {
        return true;
    }
    if (guard) {
        // A repeated call must not give up the guard it already holds.
        CloseHandle(mutex);
        return true;
    }
    guard.Reset(mutex);
    return error == ERROR_ALREADY_EXISTS;
}

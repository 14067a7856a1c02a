#include "app/InstanceGuard.h"

#include "foundation/win32/OsVersion.h"
#include "foundation/win32/UniqueHandle.h"

#include <windows.h>

std::wstring MakeInstanceMutexName(const std::wstring& userName) {
    return L"Tilebay" + userName;
}

bool IsAnotherInstanceRunning() {
    // Held until the process ends; the system releases it then.
    static Tessel::Common::UniqueHandle guard;

    const HANDLE mutex = CreateMutexW(nullptr, FALSE, MakeInstanceMutexName(Tessel::Common::CurrentUserName()).c_str());
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

#include "weblinks/AutoStart.h"

#include "foundation/win32/UniqueHandle.h"
#include "weblinks/AutoStartValue.h"

#include <vector>

namespace {

struct RegistryKeyTraits {
    using Handle = HKEY;
    static HKEY Invalid() { return nullptr; }
    static bool IsValid(HKEY key) { return key != nullptr; }
    static bool Free(HKEY key) { return RegCloseKey(key) == ERROR_SUCCESS; }
};
using UniqueRegistryKey = Tessel::Common::UniqueHandleOf<RegistryKeyTraits>;

// The value's text; empty when it is missing, is no string or cannot be read.
std::wstring ReadString(HKEY key, const std::wstring& name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return {};
    }
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD read = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &read) !=
        ERROR_SUCCESS) {
        return {};
    }
    // Stored strings need not end with a null character; the buffer has one beyond the data.
    return std::wstring(buffer.data());
}

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

bool WriteString(HKEY root, const std::wstring& keyPath, HKEY openKey, const std::wstring& name,
                 const std::wstring& data) {
    UniqueRegistryKey created;
    if (openKey == nullptr) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS) {
            return false;
        }
        created.Reset(key);
        openKey = key;
    }
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(openKey, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes) ==
           ERROR_SUCCESS;
}

} // namespace

AutoStartChange UpdateAutoStartValue(bool enabled, const std::wstring& programPath, HKEY root,
                                     const std::wstring& keyPath) {
    UniqueRegistryKey key;
    {
        HKEY opened = nullptr;
        if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &opened) == ERROR_SUCCESS) {
            key.Reset(opened);
        }
    }
    const std::wstring name = AutoStartValue::NameFor(programPath);
    const std::wstring data = AutoStartValue::DataFor(programPath);
    const bool exists =
        key && RegQueryValueExW(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;

    if (enabled) {
        if (exists && SameIgnoringCase(ReadString(key.Get(), name), data)) {
            return AutoStartChange::Unchanged;
        }
        return WriteString(root, keyPath, key.Get(), name, data) ? AutoStartChange::Written : AutoStartChange::Failed;
    }
    if (!exists) {
        return AutoStartChange::Unchanged;
    }
    return RegDeleteValueW(key.Get(), name.c_str()) == ERROR_SUCCESS ? AutoStartChange::Deleted
                                                                     : AutoStartChange::Failed;
}

const wchar_t* Describe(AutoStartChange change) {
    switch (change) {
    case AutoStartChange::Unchanged:
        return L"unchanged";
    case AutoStartChange::Written:
        return L"written";
    case AutoStartChange::Deleted:
        return L"deleted";
    case AutoStartChange::Failed:
        return L"could not be changed";
    }
    return L"?";
}

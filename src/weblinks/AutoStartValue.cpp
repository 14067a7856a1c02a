#include "weblinks/AutoStartValue.h"

namespace AutoStartValue {

std::wstring NameFor(const std::wstring& programPath) {
    const std::size_t folderEnd = programPath.find_last_of(L"\\/:");
    std::wstring name = folderEnd == std::wstring::npos ? programPath : programPath.substr(folderEnd + 1);
    const std::size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) {
        name.erase(dot);
    }
    return name;
}

std::wstring DataFor(const std::wstring& programPath) {
    return L"\"" + programPath + L"\"";
}

} // namespace AutoStartValue

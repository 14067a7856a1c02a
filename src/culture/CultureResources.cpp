#include "culture/CultureResources.h"

#include <string_view>

bool LoadStringsFromResource(HMODULE module, const std::wstring& name, TextEncoding encoding,
                             std::vector<std::wstring>& lines) {
    HRSRC resource = FindResourceW(module, name.c_str(), RT_RCDATA);
    if (resource == nullptr) {
        return false;
    }
    // A module's resources stay mapped as long as the module: nothing to free.
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, resource);
    if (data == nullptr && size != 0) {
        return false;
    }
    lines = SplitTextLines(std::string_view(static_cast<const char*>(data), size), encoding);
    return true;
}

void LoadCultureTexts(CultureManager& manager, const std::wstring& baseName, HMODULE module) {
    if (module == nullptr) {
        module = GetModuleHandleW(nullptr);
    }
    std::vector<std::wstring> names;
    manager.GetResourceNames(baseName, names);
    for (const std::wstring& name : names) {
        std::vector<std::wstring> lines;
        if (LoadStringsFromResource(module, name, TextEncoding::Utf16LE, lines)) {
            manager.SetTexts(lines);
        }
    }
}

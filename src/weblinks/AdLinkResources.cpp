#include "weblinks/AdLinkResources.h"

#include "culture/CultureResources.h"
#include "weblinks/AdLinks.h"

#include <vector>

AdItems LoadAdItemsFromResources(ICultureManager& culture, HMODULE module, std::wstring* decidedBy) {
    if (module == nullptr) {
        module = GetModuleHandleW(nullptr);
    }
    std::vector<std::wstring> names;
    culture.GetResourceNames(L"LinkAd", names);
    return AdLinks::LoadAdItems(
        names,
        [module](const std::wstring& name, std::vector<std::wstring>& lines) {
            return LoadStringsFromResource(module, name, TextEncoding::Utf16LE, lines);
        },
        decidedBy);
}

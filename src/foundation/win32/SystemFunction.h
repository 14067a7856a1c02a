#pragma once

#include <windows.h>

namespace Tessel::Common {

// A function of a system library that only a few commands use, so that the library is mapped
// when one of them first runs rather than at every start: the library is loaded from the system
// folder on first call (or taken when already loaded) and stays loaded. Null when the library or
// the function is not there.
template <typename Function> Function* SystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = GetModuleHandleW(library);
    if (module == nullptr) {
        module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    return module == nullptr ? nullptr
                             : reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace Tessel::Common

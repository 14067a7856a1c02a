#pragma once

#include "culture/CultureManager.h"
#include "culture/TextLines.h"

#include <windows.h>

#include <string>
#include <vector>

// Reads the RCDATA resource of that name (letter case does not matter) from the module into
// lines. False, and lines untouched, when the module has no such resource.
bool LoadStringsFromResource(HMODULE module, const std::wstring& name, TextEncoding encoding,
                             std::vector<std::wstring>& lines);

// Sets the manager's texts from the UTF-16LE resources of the manager's resource names for the
// base name, from the most general to the most specific, so a more specific resource overrides
// the texts it has and leaves the others. Missing resources are skipped. Reads the resources of
// the given module, by default the program's own.
void LoadCultureTexts(CultureManager& manager, const std::wstring& baseName, HMODULE module = nullptr);

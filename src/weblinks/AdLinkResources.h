#pragma once

#include "culture/ICultureManager.h"
#include "weblinks/AdItem.h"

#include <windows.h>

#include <string>

// Loads the advertised links from the UTF-16LE resources of the culture's names for "LinkAd"
// (LINKAD, then LINKAD_<language>, then LINKAD_<language>_<country>): the most specific one there
// is gives the whole list. Reads the given module's resources, by default the program's own. The
// name of the resource used goes to decidedBy when given (empty when none was found).
AdItems LoadAdItemsFromResources(ICultureManager& culture, HMODULE module = nullptr, std::wstring* decidedBy = nullptr);

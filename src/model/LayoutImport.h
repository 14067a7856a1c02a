#pragma once

#include "model/LayoutArchive.h"

#include <cstddef>
#include <string>
#include <vector>

class LinkGroupModel;
class OrvexModel;

struct LayoutImportOutcome {
    std::vector<LinkGroupModel*> groups;
    std::size_t shortcuts = 0;
};

// Adds the imported groups to the model, each moved by (dx, dy), and writes every shortcut file
// under a fresh name in the model's Data folder, so nothing there is replaced. A shortcut whose
// file cannot be written is left out and logged. The model is marked changed.
LayoutImportOutcome AddImportedGroups(OrvexModel& model, const LayoutArchive::ImportResult& import, int dx, int dy);

#pragma once

#include "model/FirstRunPlan.h"

#include <cstddef>
#include <string>
#include <vector>

class LinkGroupModel;
class OrvexModel;

// The Windows side of the first-run fill: finds the shortcuts of the Desktop and Start-menu
// folders and copies them into the Data folder as two new groups. The user's files are only
// read, never moved or changed. Runs on the UI thread, where COM is initialised; no look-up
// searches for a moved target, and icons come later through the icon worker as for any group.
namespace FirstRunFill {

struct Folders {
    std::vector<std::wstring> desktop;  // the user's Desktop, then the public one
    std::vector<std::wstring> programs; // the user's Start-menu programs, then all users'
};

// The folders of the user running the program; a folder the system does not know is left out,
// and one that appears twice (a user whose Desktop is the public one) is listed once.
Folders FoldersOfThisUser();

// The files directly in each folder and, up to subfolderDepth levels below, in its subfolders,
// folder by folder in the order given and by name inside each, each examined by ExamineItem.
// A folder that is missing or cannot be read gives nothing and is logged.
std::vector<FirstRunPlan::FoundItem> FindItems(const std::vector<std::wstring>& folders, int subfolderDepth);

// Kind, target and soundness of one file: a ".lnk" is loaded and its target read without a
// search (a shortcut that cannot be loaded, points nowhere or whose target path is missing is
// broken); a ".url" is broken without a URL; an ".exe" opens itself.
FirstRunPlan::FoundItem ExamineItem(const std::wstring& path);

// Where a new group goes and how many columns it gets.
struct Placement {
    int x = 0;
    int y = 0;
    int columns = 0;
};

struct Outcome {
    std::vector<LinkGroupModel*> groups;       // the groups made, Desktop first
    std::size_t shortcuts = 0;                 // shortcut files written
    std::vector<FirstRunPlan::Skipped> failed; // items taken by the plan whose copy failed
};

// The planned groups that get made: those with at least one item, Desktop first.
std::vector<const FirstRunPlan::Group*> GroupsToMake(const FirstRunPlan::Plan& plan);

// Adds one group per entry of GroupsToMake(plan) at its placement (large icons with names) and
// writes a file into the model's Data folder for each item, under a fresh unique name: a ".lnk"
// or ".url" is copied byte for byte, an ".exe" gets a new shortcut. An item whose file cannot be
// written is left out and logged, and a group none of whose files could be written is not made.
// placements holds one entry per group to make; missing entries place a group at (0, 0) with the
// default columns. The model is marked changed when a group was made.
Outcome AddGroups(OrvexModel& model, const FirstRunPlan::Plan& plan, const std::vector<Placement>& placements);

} // namespace FirstRunFill

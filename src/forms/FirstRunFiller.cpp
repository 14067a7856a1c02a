#include "forms/FirstRunFiller.h"

#include "forms/FirstRunPlacement.h"
#include "forms/LayoutKeeper.h"
#include "foundation/logging/Log.h"
#include "model/OrvexModel.h"

namespace FirstRunFiller {

namespace {

// The Start menu keeps programs in folders by maker; deeper folders hold their extras.
constexpr int ProgramSubfolderDepth = 1;


} // namespace

FirstRunFill::Outcome FillFromDesktopAndStartMenu(OrvexModel& model, GroupGeometry::Rect area) {
    return FillFrom(model, FirstRunFill::FoldersOfThisUser(), area);
}

FirstRunFill::Outcome FillFrom(OrvexModel& model, const FirstRunFill::Folders& folders, GroupGeometry::Rect area) {
    const FirstRunPlan::Plan plan = FirstRunPlan::Make(
        FirstRunFill::FindItems(folders.desktop, 0), FirstRunFill::FindItems(folders.programs, ProgramSubfolderDepth));
    for (const FirstRunPlan::Skipped& skipped : plan.skipped) {
        LOG_INF("FirstRunFiller::FillFrom", L"Not taken: " << skipped.path << L": " << skipped.reason);
    }
    std::vector<int> counts;
    for (const FirstRunPlan::Group* group : FirstRunFill::GroupsToMake(plan)) {
        counts.push_back(static_cast<int>(group->items.size()));
    }
    const std::vector<FirstRunFill::Placement> placements =
        FirstRunPlacement::Place(counts, LayoutKeeper::GroupBounds(model), area);
    FirstRunFill::Outcome outcome = FirstRunFill::AddGroups(model, plan, placements);
    LOG_INF("FirstRunFiller::FillFrom", L"Filled from the Desktop and the Start menu: "
                                            << outcome.groups.size() << L" groups, " << outcome.shortcuts
                                            << L" shortcuts, " << plan.skipped.size() + outcome.failed.size()
                                            << L" items not taken");
    return outcome;
}

} // namespace FirstRunFiller

#pragma once

#include "model/FirstRunFill.h"
#include "views/GroupGeometry.h"

class OrvexModel;

// The first-run fill as the panel offers it: the group "Desktop" from the user's and the public
// Desktop, the group "Programs" from the Start menu's program folders (the top level and one
// level of subfolders), sized to their content and placed in area (the panel's client area in
// the stored units) where they cover no group. Everything found and not taken is logged with
// the reason. The model is marked changed; the panel's save timer writes the store.
namespace FirstRunFiller {

FirstRunFill::Outcome FillFromDesktopAndStartMenu(OrvexModel& model, GroupGeometry::Rect area);

// The same from the given folders.
FirstRunFill::Outcome FillFrom(OrvexModel& model, const FirstRunFill::Folders& folders, GroupGeometry::Rect area);

} // namespace FirstRunFiller

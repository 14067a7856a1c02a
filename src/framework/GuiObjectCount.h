#pragma once

// How many GDI and USER objects this process holds now. The system's own counts are used where
// it keeps them; where it reports none (some compatibility layers answer 0), the objects are
// counted here by asking, for every possible handle value, whether it names an object of this
// process (a GDI object; a window, menu or icon/cursor). That count takes a few milliseconds.
struct GuiObjectCounts {
    unsigned gdi = 0;
    unsigned user = 0;
};

GuiObjectCounts CountGuiObjects();

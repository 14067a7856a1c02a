#pragma once

#include <windows.h>

#include <oleacc.h>

#include <memory>
#include <string>
#include <vector>

// What the panel tells screen readers: the panel holds its groups (each an object of its own)
// and the controls of its band; a group holds its shortcuts. The objects only ask the panel
// through PanelAccessSource, so they can be handed to other processes and outlive the window:
// once the panel is gone they answer that they are no longer connected.
class PanelAccessSource {
public:
    // One element as a reader shows it; screen is in screen pixels.
    struct Element {
        std::wstring name;
        long role = ROLE_SYSTEM_CLIENT;
        long state = 0;
        RECT screen{0, 0, 0, 0};
        std::wstring defaultAction;
    };
    // A place on the panel: a group's shortcut (link >= 0), a group (link -1), a band control
    // (control >= 0), or nothing.
    struct Place {
        int group = -1;
        int link = -1;
        int control = -1;
        bool IsNothing() const { return group < 0 && control < 0; }
    };

    virtual ~PanelAccessSource() = default;
    virtual HWND AccessWindow() const = 0;
    virtual Element PanelElement() = 0;
    // The groups in panel order, each by a key that stays the group's for its life.
    virtual std::vector<const void*> GroupKeys() = 0;
    virtual Element GroupElement(int group) = 0;
    virtual int ShortcutCount(int group) = 0;
    virtual Element ShortcutElement(int group, int link) = 0;
    virtual int ControlCount() = 0;
    virtual Element ControlElement(int control) = 0;
    // The element with the keyboard focus, or selected by the keyboard; nothing without one.
    virtual Place FocusPlace() = 0;
    virtual Place PlaceAt(POINT screen) = 0;
    // Runs what the element's default action says; false when it has none.
    virtual bool DoDefaultAction(const Place& place) = 0;
    // Gives the element the keyboard focus and selection.
    virtual bool Select(const Place& place) = 0;
};

namespace PanelAccessible {

// The child id an event names a shortcut or group by on the panel's client object: the group's
// position and the shortcut's index, both from 1 (a group itself with link -1).
LONG EventChildId(int group, int link);

// The connection between the objects handed out and the panel; Disconnect when the panel goes.
class Connection {
public:
    explicit Connection(PanelAccessSource& source);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The answer to WM_GETOBJECT for OBJID_CLIENT: the panel's object handed out; 0 when it
    // cannot be made.
    LRESULT Answer(WPARAM wParam);
    // The panel's object itself (a reference the caller releases); for tests.
    IAccessible* Root();
    void Disconnect();

private:
    std::shared_ptr<PanelAccessSource*> mSource;
};

} // namespace PanelAccessible

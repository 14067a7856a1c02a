#pragma once

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

class TForm;
class THintWindow;

// What forms need of the program around them: the window that owns them, which of them is the
// main form, the step every message loop takes with a message, and the window that shows their
// controls' hints. This base serves forms that stand alone (no owner, no main form, no hints);
// the application derives from it and makes itself the host of every form (TForm::SetHost).
class TFormHost {
public:
    TFormHost() = default;
    virtual ~TFormHost();

    TFormHost(const TFormHost&) = delete;
    TFormHost& operator=(const TFormHost&) = delete;

    // The window that owns a top-level form made without a parent; null for none.
    virtual HWND FormOwner(const TForm& form) const;
    // The form whose closing ends the program; null for none.
    virtual TForm* MainForm() const;
    // Ends the program's message loop.
    virtual void Terminate();
    // The window that shows the hints of controls; null shows none.
    virtual THintWindow* ControlHintWindow();

    // Hands one message to the filters and, unless one of them took it, dispatches it. Every
    // message loop of the program (also a modal form's) goes through here.
    void ProcessMessage(MSG& message);

    // A filter sees every message of every loop before it is dispatched (a dialog's keyboard
    // navigation, say); returning true means it took the message.
    using MessageFilter = std::function<bool(MSG& message)>;
    int AddMessageFilter(MessageFilter filter);
    void RemoveMessageFilter(int id);

private:
    std::vector<std::pair<int, MessageFilter>> mFilters;
    int mNextFilterId = 1;
};

// TilebaySaveLoop.exe: the program built for the kill test, the shipped program plus this hook.
// Once the panel has been shown, the hook saves the group store and the settings over and over
// through the program's own save paths (OrvexModel::MoveGroupToEnd, which saves at once, and
// UserSettings::Save), each time taking both from one known state to the other:
//   state A: the group with shortcuts first at (40, 48), the other group at (400, 48); the button
//            10 px high at x 300, reflections off;
//   state B: the group without shortcuts first at (1400, 480), the group with shortcuts at
//            (1040, 160); the button 20 px high at x 1300, reflections on.
// Whenever the program is killed, each file on disk must hold one of the two states whole.
// The store must hold two groups, one with shortcuts and one without.
//
// The log tells what the start found ("Save loop: loaded groups A, settings B", "other" for
// neither state), when saving begins and every tenth state. With the environment variable
// TILEBAY_SAVE_LOOP_STATES=<n> the program ends itself after n saved states (0: right after the
// report of what it loaded), without any save of its own.
#include "app/RunTilebay.h"
#include "forms/TEdgeForm.h"
#include "forms/TMainForm.h"
#include "foundation/lang/Exception.h"
#include "foundation/logging/Log.h"

#include <windows.h>

#include <cwchar>
#include <string>

namespace {

struct GroupPlace {
    int x;
    int y;
};

struct State {
    const wchar_t* name;
    bool linkedFirst;
    GroupPlace linked;
    GroupPlace plain;
    int buttonVisibleHeight;
    int buttonX;
    bool reflections;
};

constexpr State StateA{L"A", true, {40, 48}, {400, 48}, 10, 300, false};
constexpr State StateB{L"B", false, {1040, 160}, {1400, 480}, 20, 1300, true};
constexpr int ButtonY = 500;

TEdgeForm* sEdge = nullptr;
TMainForm* sPanel = nullptr;
UINT_PTR sTimer = 0;

long long StatesToSave() {
    wchar_t text[32] = {};
    const DWORD length = GetEnvironmentVariableW(L"TILEBAY_SAVE_LOOP_STATES", text, 32);
    return length > 0 && length < 32 ? std::wcstoll(text, nullptr, 10) : -1;
}

bool HasLinks(const LinkGroupModel& group) {
    return !group.GetLinks().empty();
}

// The group with shortcuts and the one without, or false when the store holds other groups.
bool FindGroups(OrvexModel& model, LinkGroupModel*& linked, LinkGroupModel*& plain) {
    const auto& groups = model.GetGroups();
    if (groups.size() != 2 || HasLinks(*groups[0]) == HasLinks(*groups[1])) {
        return false;
    }
    linked = HasLinks(*groups[0]) ? groups[0].get() : groups[1].get();
    plain = HasLinks(*groups[0]) ? groups[1].get() : groups[0].get();
    return true;
}

bool At(const LinkGroupModel& group, GroupPlace place) {
    return group.GetSettings().X() == place.x && group.GetSettings().Y() == place.y;
}

const wchar_t* GroupsState(OrvexModel& model) {
    LinkGroupModel* linked = nullptr;
    LinkGroupModel* plain = nullptr;
    if (!FindGroups(model, linked, plain)) {
        return L"other";
    }
    const bool linkedFirst = model.GetGroups().front().get() == linked;
    for (const State* state : {&StateA, &StateB}) {
        if (state->linkedFirst == linkedFirst && At(*linked, state->linked) && At(*plain, state->plain)) {
            return state->name;
        }
    }
    return L"other";
}

const wchar_t* SettingsState(UserSettings& settings) {
    int x = 0, y = 0;
    settings.GetStartButtonPos(x, y);
    for (const State* state : {&StateA, &StateB}) {
        if (settings.GetFloatingButtonVisibleHeight() == state->buttonVisibleHeight && x == state->buttonX &&
            settings.GetIsDrawingReflectionEnabled() == state->reflections) {
            return state->name;
        }
    }
    return L"other";
}

void Place(LinkGroupModel& group, GroupPlace place) {
    group.GetSettings().SetX(place.x);
    group.GetSettings().SetY(place.y);
}

// Takes the store and the settings to state, saving each once.
void SaveState(const State& state, LinkGroupModel& linked, LinkGroupModel& plain) {
    OrvexModel& model = sPanel->GetModel();
    Place(linked, state.linked);
    Place(plain, state.plain);
    const bool linkedFirst = model.GetGroups().front().get() == &linked;
    if (linkedFirst != state.linkedFirst) {
        model.MoveGroupToEnd(model.GetGroups().front().get());
    } else if (model.IsChanged()) {
        model.Save();
    }
    UserSettings& settings = sEdge->GetUserSettings();
    settings.SetFloatingButtonVisibleHeight(state.buttonVisibleHeight);
    settings.SetStartButtonPos(state.buttonX, ButtonY);
    settings.SetIsDrawingReflectionEnabled(state.reflections);
    settings.Save();
}

// Lets the windows handle what came in meanwhile; only ever between two whole states.
void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void SaveLoop() {
    OrvexModel& model = sPanel->GetModel();
    LOG_INF("SaveLoop", L"Save loop: loaded groups " << GroupsState(model) << L", settings "
                                                     << SettingsState(sEdge->GetUserSettings()));
    const long long limit = StatesToSave();
    LinkGroupModel* linked = nullptr;
    LinkGroupModel* plain = nullptr;
    if (!FindGroups(model, linked, plain)) {
        LOG_ERR("SaveLoop", L"Save loop: the store must hold two groups, one with shortcuts and one without");
        ExitProcess(2);
    }
    // The state to save first is the one the files are not in.
    bool toB = model.GetGroups().front().get() == linked;
    LOG_INF("SaveLoop", L"Save loop: saving");
    for (long long saved = 0; limit < 0 || saved < limit; toB = !toB) {
        try {
            SaveState(toB ? StateB : StateA, *linked, *plain);
        } catch (const Exception& error) {
            LOG_ERR("SaveLoop", L"Save loop: " << error.Message());
        }
        if (++saved % 10 == 0) {
            LOG_INF("SaveLoop", L"Save loop: " << saved << L" states saved");
        }
        PumpMessages();
    }
    LOG_INF("SaveLoop", L"Save loop: stopped after " << limit << L" states, last " << (toB ? L"A" : L"B"));
    ExitProcess(0);
}

void CALLBACK WaitForPanel(HWND, UINT, UINT_PTR, DWORD) {
    if (!IsWindowVisible(sPanel->Handle())) {
        return;
    }
    KillTimer(nullptr, sTimer);
    try {
        SaveLoop();
    } catch (...) {
        LOG_ERR("SaveLoop", L"Save loop: ended by an unexpected exception");
        ExitProcess(3);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return RunTilebay([](TEdgeForm& edge, TMainForm& panel) {
        sEdge = &edge;
        sPanel = &panel;
        sTimer = SetTimer(nullptr, 0, 50, WaitForPanel);
    });
}

#pragma once

#include <functional>

class TEdgeForm;
class TMainForm;

// Called once the button and the panel exist, right before the message loop starts.
using BeforeRunHook = std::function<void(TEdgeForm& edge, TMainForm& panel)>;

// The whole run of the program, from setting up the log to "App Ends": libraries only from
// System32, the start-up diagnostics, the single-instance check, the windows and the message
// loop. Returns the process's exit code. The shipped program passes no hook; test builds of the
// program use it to drive the real windows from inside.
int RunTilebay(const BeforeRunHook& beforeRun = {});

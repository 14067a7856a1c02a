#include "app/RunTilebay.h"

#include "app/InstanceGuard.h"
#include "app/LayoutCommand.h"
#include "app/OutermostHandler.h"
#include "app/StartupDiagnostics.h"
#include "forms/TEdgeForm.h"
#include "forms/TMainForm.h"
#include "foundation/logging/Log.h"
#include "foundation/win32/InitializeLogging.h"
#include "framework/Application.h"

#include <windows.h>

using namespace Tessel::Common::Logging;

int RunTilebay(const BeforeRunHook& beforeRun) {
    // Libraries are looked for in System32 only, never beside the program or in the working
    // folder, where a planted library could be loaded in its place.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Destroyed on return, after "App Ends": the panel first, then the edge window, whose
    // destruction closes the log.
    TApplication application;
    int exitCode = 0;
    RunWithOutermostHandler(
        [&] {
            InitializeLogging();
            LOG_INF("WinMain", AppStartsMarker);
            LogProductInfo();
            LogRuntimeEnvironmentInfo();
            if (const LayoutCommand command = ParseLayoutCommand(ProgramArguments());
                command.kind != LayoutCommand::Kind::None) {
                exitCode = RunLayoutCommand(command, IsAnotherInstanceRunning());
                return;
            }
            if (IsAnotherInstanceRunning()) {
                LOG_INF("WinMain", AlreadyRunningMarker);
                return;
            }
            application.Initialize();
            application.MainFormOnTaskBar = true;
            TEdgeForm* edge = application.CreateForm<TEdgeForm>();
            // The button is on the screen before the panel's window is made.
            edge->ShowButton();
            TMainForm* panel = application.CreateForm<TMainForm>();
            edge->SetMainPanel(panel);
            if (beforeRun) {
                beforeRun(*edge, *panel);
            }
            application.Run();
        },
        [&](const Exception& e) { application.ShowException(e); });
    LOG_INF("WinMain", AppEndsMarker);
    return exitCode;
}

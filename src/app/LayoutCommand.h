#pragma once

#include <string>
#include <vector>

// "/export <file>" and "/import <file>" on the command line: the groups written to or added from
// one zip file without the panel. A start with other arguments, or none, runs the program.
struct LayoutCommand {
    enum class Kind { None, Export, Import, Invalid };
    Kind kind = Kind::None;
    std::wstring path;
    // For Invalid: what is wrong.
    std::wstring problem;
};

// The arguments after the program's own name. Options are matched without regard to case and
// may start with "/" or "-".
LayoutCommand ParseLayoutCommand(const std::vector<std::wstring>& args);

// The arguments of this process after the program's own name.
std::vector<std::wstring> ProgramArguments();

// Carries the command out and returns the exit code: 0 when done, 1 when it failed, 2 for wrong
// arguments; a failure is logged and written to the standard error stream. When another copy
// runs (anotherRunning), the request goes to it and its answer is waited for, so that one
// process owns the files; else this process does it on the data folder itself.
int RunLayoutCommand(const LayoutCommand& command, bool anotherRunning);

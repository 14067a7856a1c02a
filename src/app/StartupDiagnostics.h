#pragma once

#include <string>
#include <vector>

// What the start of every log tells about the program and the machine.
struct MonitorSize {
    int width = 0;
    int height = 0;
};

struct RuntimeEnvironment {
    unsigned platformId = 0;
    unsigned major = 0;
    unsigned minor = 0;
    unsigned build = 0;
    std::wstring servicePack;
    std::wstring windowsDirectory;
    std::wstring systemDirectory;
    std::wstring userName;
    std::wstring workingDirectory;
    std::vector<MonitorSize> monitors;
};

// Reads every value, whether or not the log will show it.
RuntimeEnvironment ReadRuntimeEnvironment();
// Writes the environment lines at INF: OS, directories, user, working directory, monitors.
void WriteRuntimeEnvironment(const RuntimeEnvironment& environment);

void LogProductInfo();
void LogRuntimeEnvironmentInfo();

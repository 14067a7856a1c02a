#include "support/LogCapture.h"

#include "app/InstanceGuard.h"
#include "app/OutermostHandler.h"
#include "app/StartupDiagnostics.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>

using TestSupport::LogCapture;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(OutermostHandler, LogsAndShowsWhatEscapesTheProgram) {
    struct Case {
        std::function<void()> body;
        std::vector<std::wstring> messages;
        std::vector<std::wstring> shown;
    };
    const std::vector<Case> cases = {
        {[] {}, {}, {}},
        {[] { throw Exception(L"Unable to write to C:\\x\\Settings.ini"); },
         {L"Unable to write to C:\\x\\Settings.ini"},
         {L"Unable to write to C:\\x\\Settings.ini"}},
        {[] { throw std::runtime_error("not ours"); }, {L"!!! Unknown exception"}, {L""}},
        {[] { throw 42; }, {L"!!! Unknown exception"}, {L""}},
    };
    for (const Case& c : cases) {
        LogCapture capture;
        std::vector<std::wstring> shown;
        RunWithOutermostHandler(c.body, [&](const Exception& e) { shown.push_back(e.Message()); });
        EXPECT_EQ(capture.Messages(), c.messages);
        EXPECT_EQ(shown, c.shown);
        for (const auto& line : capture.Lines()) {
            EXPECT_NE(line.find(L", ERR, WinMain() # "), std::wstring::npos);
        }
    }
}

TEST(StartupDiagnostics, EnvironmentLinesHaveTheirExactText) {
    LogCapture capture;
    RuntimeEnvironment e;
    e.platformId = 2;
    e.major = 6;
    e.minor = 1;
    e.build = 7601;
    e.servicePack = L"";
    e.windowsDirectory = L"C:\\Windows";
    e.systemDirectory = L"C:\\Windows\\system32";
    e.userName = L"ann";
    e.workingDirectory = L"C:\\Users\\ann";
    e.monitors = {{1920, 1080}, {1280, 1024}, {800, 600}};
    WriteRuntimeEnvironment(e);
    EXPECT_THAT(capture.Messages(),
                ElementsAre(L"OS : Platform ID = 2, Version = 6.1.7601 ", L"Windows Directory : C:\\Windows",
                            L"System Directory : C:\\Windows\\system32", L"User : ann",
                            L"Working Directory : C:\\Users\\ann", L"Monitor Count : 3", L"  Monitor[0] : 1920, 1080",
                            L"  Monitor[1] : 1280, 1024", L"  Monitor[2] : 800, 600"));
    for (const auto& line : capture.Lines()) {
        EXPECT_NE(line.find(L", INF, LogRuntimeEnvironmentInfo() # "), std::wstring::npos);
    }
}

TEST(StartupDiagnostics, ReadsTheRealMachineAndStaysSilentWithoutInf) {
    const RuntimeEnvironment e = ReadRuntimeEnvironment();
    EXPECT_EQ(e.platformId, 2u);
    EXPECT_FALSE(e.windowsDirectory.empty());
    EXPECT_FALSE(e.systemDirectory.empty());
    EXPECT_FALSE(e.userName.empty());
    EXPECT_FALSE(e.workingDirectory.empty());
    EXPECT_FALSE(e.monitors.empty());

    LogCapture capture(Tessel::Common::Logging::LogLevelError);
    LogProductInfo();
    LogRuntimeEnvironmentInfo();
    EXPECT_THAT(capture.Lines(), IsEmpty());
}

TEST(InstanceGuard, IsNamedAfterTheUser) {
    EXPECT_EQ(MakeInstanceMutexName(L"ann"), L"Tilebayann");
    EXPECT_EQ(MakeInstanceMutexName(L""), L"Tilebay");
}

TEST(InstanceGuard, AGuardHeldByAnotherProgramMeansAnotherInstance) {
    wchar_t user[255] = {};
    DWORD size = 255;
    ASSERT_TRUE(GetUserNameW(user, &size));
    const HANDLE other = CreateMutexW(nullptr, FALSE, MakeInstanceMutexName(user).c_str());
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(IsAnotherInstanceRunning());
    CloseHandle(other);
}

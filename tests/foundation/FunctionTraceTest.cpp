#include "support/LogCapture.h"

#include "foundation/win32/FunctionTrace.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>

using namespace Tessel::Common::Logging;
using ::testing::ElementsAre;
using TestSupport::LogCapture;

namespace {

class CountingTimer : public Tessel::Common::IPrecisionTimer {
public:
    void Start() override { ++starts; }
    long double ElapsedMilliseconds() override {
        ++readings;
        return elapsed;
    }
    int starts = 0;
    int readings = 0;
    long double elapsed = 1.734121L;
};

int TracedWithEarlyReturn(CountingTimer& timer, bool early) {
    FunctionTrace trace("TMainForm::DecorateRect", timer);
    if (early) {
        return 1;
    }
    return 2;
}

void TracedThatThrows(CountingTimer& timer) {
    FunctionTrace trace("TMainForm::FormShow", timer);
    throw std::runtime_error("boom");
}

} // namespace

TEST(FunctionTrace, WithDebugOffWritesNothingAndNeverReadsTheCounter) {
    LogCapture capture(LogLevelInfo);
    CountingTimer timer;
    TracedWithEarlyReturn(timer, true);
    TracedWithEarlyReturn(timer, false);
    EXPECT_TRUE(capture.Text().empty());
    EXPECT_EQ(timer.starts, 0);
    EXPECT_EQ(timer.readings, 0);
}

TEST(FunctionTrace, WithDebugOnWritesOneEnterAndOneExitOnEveryWayOut) {
    LogCapture capture(LogLevelDebug);
    CountingTimer timer;
    TracedWithEarlyReturn(timer, true);
    EXPECT_THROW(TracedThatThrows(timer), std::runtime_error);
    EXPECT_THAT(capture.Messages(), ElementsAre(L"EnterFunc", L"ExitFunc 1.73412", L"EnterFunc", L"ExitFunc 1.73412"));
    EXPECT_NE(capture.Lines()[0].find(L", DBG, TMainForm::DecorateRect() # EnterFunc"), std::wstring::npos);
    EXPECT_NE(capture.Lines()[3].find(L", DBG, TMainForm::FormShow() # ExitFunc "), std::wstring::npos);
    EXPECT_EQ(timer.starts, 2);
    EXPECT_EQ(timer.readings, 2);
}

TEST(FunctionTrace, ElapsedTimeUsesSixSignificantDigitsWithoutTrailingZeros) {
    struct Case {
        long double elapsed;
        const wchar_t* message;
    };
    const Case cases[] = {{0.0L, L"ExitFunc 0"}, {2.5L, L"ExitFunc 2.5"}, {1234567.0L, L"ExitFunc 1.23457e+06"}};
    for (const Case& c : cases) {
        LogCapture capture(LogLevelDebug);
        CountingTimer timer;
        timer.elapsed = c.elapsed;
        { FunctionTrace trace("F", timer); }
        ASSERT_EQ(capture.Messages().size(), 2u);
        EXPECT_EQ(capture.Messages()[1], c.message);
    }
}

TEST(FunctionTrace, RealTimerMeasuresTheTimeSpent) {
    LogCapture capture(LogLevelDebug);
    {
        TRACE_FUNCTION("F");
        Sleep(20);
    }
    ASSERT_EQ(capture.Messages().size(), 2u);
    const double elapsed = std::stod(capture.Messages()[1].substr(std::wcslen(L"ExitFunc ")));
    EXPECT_GE(elapsed, 15.0);
}

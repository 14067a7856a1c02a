#include "support/LogCapture.h"

#include "foundation/logging/Log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cwchar>
#include <regex>
#include <thread>
#include <vector>

using namespace Tessel::Common::Logging;
using TestSupport::LogCapture;
using TestSupport::MemoryAppender;
using ::testing::ElementsAre;

TEST(LogLevel, ThresholdEnablesItsStepAndEverythingMoreSevere) {
    LogCapture capture;
    struct Case {
        int threshold;
        bool expected[LogLevelCount];
    };
    const Case cases[] = {
        {0, {true, true, true, true, true}},    {1, {false, true, true, true, true}},
        {2, {false, false, true, true, true}},  {4, {false, false, false, false, true}},
        {5, {false, false, false, false, false}}, {-3, {true, true, true, true, true}},
    };
    for (const Case& c : cases) {
        SetLogLevel(c.threshold);
        for (int level = 0; level < LogLevelCount; ++level) {
            EXPECT_EQ(LogLevelEnabled[level], c.expected[level]) << "threshold " << c.threshold << " level " << level;
        }
    }
}

TEST(LogLine, HasTheExactFormat) {
    LogCapture capture(LogLevelDebug);
    LOG_INF("TMainForm::DecorateRect", L"Groups : " << 3);
    LOG_DBG("WinMain", L"EnterFunc");
    LOG_ERR("WinMain", L"Unable to write to C:\\x");
    const auto lines = capture.Lines();
    ASSERT_EQ(lines.size(), 3u);
    const std::wregex format(LR"(T\d+, \d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}, (DBG|INF|ERR), [^ ]+\(\) # .*)");
    for (const auto& line : lines) {
        EXPECT_TRUE(std::regex_match(line, format)) << std::string(line.begin(), line.end());
    }
    EXPECT_NE(lines[0].find(L", INF, TMainForm::DecorateRect() # Groups : 3"), std::wstring::npos);
    EXPECT_NE(lines[1].find(L", DBG, WinMain() # EnterFunc"), std::wstring::npos);
    EXPECT_NE(lines[2].find(L", ERR, WinMain() # Unable to write to C:\\x"), std::wstring::npos);
    EXPECT_EQ(lines[0].back(), L'3') << "a line ends right after its message";
}

TEST(LogLine, PrefixPadsEveryFieldAndIgnoresTheStreamsFormatting) {
    std::wostringstream stream;
    stream.width(20);
    stream.fill(L'*');
    stream.setf(std::ios::hex, std::ios::basefield);
    WriteLogLinePrefix(stream, 2964, {2013, 5, 7, 4, 3, 2, 7}, "DBG", "TEdgeForm::TEdgeForm");
    EXPECT_EQ(stream.str(), L"T2964, 2013-05-07 04:03:02.007, DBG, TEdgeForm::TEdgeForm() # ");
}

TEST(LogLine, DisabledLevelEvaluatesNothingOfTheMessage) {
    LogCapture capture(LogLevelInfo);
    int evaluated = 0;
    auto expensive = [&] {
        ++evaluated;
        return std::wstring(L"x");
    };
    LOG_DBG("F", expensive());
    EXPECT_EQ(evaluated, 0);
    LOG_INF("F", expensive());
    EXPECT_EQ(evaluated, 1);
}

TEST(LogLine, StepsWithoutTagNeverWriteEvenWhenEnabled) {
    LogCapture capture(LogLevelTrace);
    WriteLogLine(LogLevelTrace, "F", L"zero");
    WriteLogLine(LogLevelWarning, "F", L"three");
    EXPECT_TRUE(capture.Text().empty());
}

TEST(LogLine, EveryAppenderGetsItsOwnCompleteCopyInOrder) {
    LogCapture capture;
    auto second = std::make_unique<MemoryAppender>();
    MemoryAppender* secondView = second.get();
    AppenderCollection::Instance().Add(std::move(second));
    LOG_INF("F", L"one");
    LOG_INF("F", L"two");
    EXPECT_THAT(capture.Messages(), ElementsAre(L"one", L"two"));
    EXPECT_EQ(secondView->Text().size(), capture.Text().size());
    EXPECT_NE(secondView->Text().find(L"F() # two\n"), std::wstring::npos);
}

TEST(LogLine, WithoutAppendersNothingHappens) {
    LogCapture capture;
    AppenderCollection::Instance().DestroyAll();
    LOG_INF("F", L"lost");
    EXPECT_TRUE(AppenderCollection::Instance().IsEmpty());
}

TEST(CloseLoggers, WritesItsMarkerLastThenDestroysEveryAppender) {
    LogCapture capture;
    std::wstring received = L"(not destroyed)";
    AppenderCollection::Instance().DestroyAll();
    AppenderCollection::Instance().Add(std::make_unique<MemoryAppender>(&received));
    LOG_INF("WinMain", AppEndsMarker);
    CloseLoggers("~TEdgeForm::TEdgeForm");
    LOG_INF("F", L"after the end");

    EXPECT_TRUE(AppenderCollection::Instance().IsEmpty());
    const auto endsAt = received.find(L"WinMain() # " + std::wstring(AppEndsMarker) + L"\n");
    const auto closeAt = received.find(L"~TEdgeForm::TEdgeForm() # " + std::wstring(CloseLoggersMarker) + L"\n");
    ASSERT_NE(endsAt, std::wstring::npos);
    ASSERT_NE(closeAt, std::wstring::npos);
    EXPECT_LT(endsAt, closeAt);
    EXPECT_EQ(closeAt + std::wcslen(L"~TEdgeForm::TEdgeForm() # ") + std::wcslen(CloseLoggersMarker) + 1, received.size());
}

TEST(LogLine, LinesOfSeveralThreadsStayWhole) {
    LogCapture capture;
    constexpr int Threads = 4;
    constexpr int LinesEach = 300;
    std::vector<std::thread> writers;
    for (int t = 0; t < Threads; ++t) {
        writers.emplace_back([t] {
            for (int i = 0; i < LinesEach; ++i) {
                LOG_INF("Worker", L"thread " << t << L" line " << i << L" end");
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    const auto messages = capture.Messages();
    ASSERT_EQ(messages.size(), static_cast<std::size_t>(Threads * LinesEach));
    const std::wregex whole(LR"(thread \d line \d+ end)");
    for (const auto& message : messages) {
        EXPECT_TRUE(std::regex_match(message, whole)) << std::string(message.begin(), message.end());
    }
}

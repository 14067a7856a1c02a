#include "framework/ErrorSink.h"

#include "foundation/lang/Exception.h"
#include "foundation/logging/Log.h"
#include "framework/Application.h"

#include "support/CollectExceptions.h"
#include "support/LogCapture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(HandleCurrentException, WithoutAHandlerLogsTheMessageOfWhateverWasThrown) {
    TestSupport::LogCapture log;
    const std::function<void()> failures[] = {
        [] { throw Exception(L"Cannot write groups.txt"); },
        [] { throw std::runtime_error("bad state"); },
        [] { throw 42; },
    };
    for (const auto& fail : failures) {
        Guarded(fail);
    }
    EXPECT_THAT(log.Messages(), ElementsAre(L"Cannot write groups.txt", L"bad state",
                                            Tessel::Common::Logging::UnknownExceptionMessage));
}

TEST(HandleCurrentException, GoesToTheHandlerSetInsteadOfTheLogAndNothingLeavesIt) {
    TestSupport::LogCapture log;
    std::vector<std::wstring> handled;
    SetExceptionHandler([&handled] {
        handled.push_back(CurrentExceptionMessage());
        throw std::runtime_error("the handler failed too");
    });
    Guarded([] { throw std::runtime_error("first"); });
    Guarded([] { throw std::runtime_error("second"); });
    SetExceptionHandler(nullptr);
    Guarded([] { throw std::runtime_error("logged"); });
    EXPECT_THAT(handled, ElementsAre(L"first", L"second"));
    EXPECT_THAT(log.Messages(), ElementsAre(L"logged"));
}

TEST(HandleCurrentException, GoesToTheApplicationOnlyWhileItLives) {
    TestSupport::LogCapture log;
    std::vector<std::string> caught;
    {
        TApplication application;
        TestSupport::CollectExceptions(application, caught);
        {
            // A second application is never the one that handles failures, and its end changes
            // nothing for the first.
            TApplication second;
            std::vector<std::string> caughtBySecond;
            TestSupport::CollectExceptions(second, caughtBySecond);
            Guarded([] { throw std::runtime_error("while two live"); });
            EXPECT_THAT(caughtBySecond, IsEmpty());
        }
        Guarded([] { throw std::runtime_error("after the second went"); });
    }
    Guarded([] { throw std::runtime_error("after the application went"); });
    EXPECT_THAT(caught, ElementsAre("while two live", "after the second went"));
    EXPECT_EQ(log.Messages().back(), L"after the application went");
}

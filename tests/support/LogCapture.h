#pragma once

#include "foundation/logging/Log.h"

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace TestSupport {

// An appender that keeps everything in memory. When given a place for it, it leaves its
// text there when it is destroyed, so a test can read what it received before it went away.
class MemoryAppender : public Tessel::Common::Logging::IAppender {
public:
    explicit MemoryAppender(std::wstring* textWhenDestroyed = nullptr) : mTextWhenDestroyed(textWhenDestroyed) {}
    ~MemoryAppender() override {
        if (mTextWhenDestroyed) *mTextWhenDestroyed = Text();
    }
    std::wostream& GetStream() override { return mStream; }
    std::wstring Text() const { return mStream.str(); }

private:
    std::wostringstream mStream;
    std::wstring* mTextWhenDestroyed;
};

// Puts the log's level table and appenders back as they were when it goes out of scope,
// and starts with no appender.
class LogStateGuard {
public:
    LogStateGuard() {
        using namespace Tessel::Common::Logging;
        std::copy(std::begin(LogLevelEnabled), std::end(LogLevelEnabled), std::begin(mSavedLevels));
        AppenderCollection::Instance().DestroyAll();
    }
    ~LogStateGuard() {
        using namespace Tessel::Common::Logging;
        AppenderCollection::Instance().DestroyAll();
        std::copy(std::begin(mSavedLevels), std::end(mSavedLevels), std::begin(LogLevelEnabled));
    }
    LogStateGuard(const LogStateGuard&) = delete;
    LogStateGuard& operator=(const LogStateGuard&) = delete;

private:
    bool mSavedLevels[Tessel::Common::Logging::LogLevelCount] = {};
};

// For the length of a test: the log goes to one memory appender, at the given level.
class LogCapture {
public:
    explicit LogCapture(int threshold = Tessel::Common::Logging::LogLevelInfo) {
        using namespace Tessel::Common::Logging;
        SetLogLevel(threshold);
        auto appender = std::make_unique<MemoryAppender>(&mFinalText);
        mAppender = appender.get();
        AppenderCollection::Instance().Add(std::move(appender));
    }

    // What the appender received, also after it was destroyed.
    std::wstring Text() const {
        for (const auto& appender : Tessel::Common::Logging::AppenderCollection::Instance()) {
            if (appender.get() == mAppender) return mAppender->Text();
        }
        return mFinalText;
    }
    // Every line as written (without its line end).
    std::vector<std::wstring> Lines() const {
        std::vector<std::wstring> lines;
        std::wistringstream in(Text());
        for (std::wstring line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    // The messages of the lines (the text after "() # "), in order.
    std::vector<std::wstring> Messages() const {
        std::vector<std::wstring> messages;
        for (const auto& line : Lines()) {
            const auto at = line.find(L"() # ");
            messages.push_back(at == std::wstring::npos ? line : line.substr(at + 5));
        }
        return messages;
    }

private:
    // Declared before the guard, so it still exists when the guard destroys the appender.
    std::wstring mFinalText;
    LogStateGuard mGuard;
    MemoryAppender* mAppender = nullptr;
};

} // namespace TestSupport

#pragma once

#include "foundation/logging/IAppender.h"

#include <memory>
#include <mutex>
#include <vector>

namespace Tessel::Common::Logging {

// The process-wide ordered list of active appenders; every line goes to each in order.
// It holds the appenders until DestroyAll, so an appender still open when the process ends
// (a start that ends early never reaches "Close Loggers") is closed properly all the same.
class AppenderCollection {
public:
    static AppenderCollection& Instance();

    void Add(std::unique_ptr<IAppender> appender);
    // Destroys every appender (closing its destination) and empties the list.
    void DestroyAll();

    bool IsEmpty() const { return mAppenders.empty(); }
    // Held while a line is written and while appenders come and go, so that lines written by
    // several threads never mix.
    std::mutex& WriteLock() { return mWriteLock; }
    auto begin() const { return mAppenders.begin(); }
    auto end() const { return mAppenders.end(); }

private:
    std::mutex mWriteLock;
    std::vector<std::unique_ptr<IAppender>> mAppenders;
};

} // namespace Tessel::Common::Logging

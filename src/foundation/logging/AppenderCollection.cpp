#include "foundation/logging/AppenderCollection.h"

namespace Tessel::Common::Logging {

AppenderCollection& AppenderCollection::Instance() {
    static AppenderCollection instance;
    return instance;
}

void AppenderCollection::Add(std::unique_ptr<IAppender> appender) {
    if (appender) {
        const std::lock_guard lock(mWriteLock);
        mAppenders.push_back(std::move(appender));
    }
}

void AppenderCollection::DestroyAll() {
    // Take the list first: an appender's destructor must not see itself still listed.
    std::vector<std::unique_ptr<IAppender>> appenders;
    {
        const std::lock_guard lock(mWriteLock);
        appenders = std::move(mAppenders);
        mAppenders.clear();
    }
    appenders.clear();
}

} // namespace Tessel::Common::Logging

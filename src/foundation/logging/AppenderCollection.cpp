#include "foundation/logging/AppenderCollection.h"

namespace Tessel::Common::Logging {

AppenderCollection& AppenderCollection::Instance() {
    static AppenderCollection instance;
    return instance;
}

void AppenderCollection::Add(std::unique_ptr<IAppender> appender) {
    if (appender) {
        mAppenders.push_back(std::move(appender));
    }
}

void AppenderCollection::DestroyAll() {
    // Take the list first: an appender's destructor must not see itself still listed.
    auto appenders = std::move(mAppenders);
    mAppenders.clear();
    appenders.clear();
}

} // namespace Tessel::Common::Logging

#pragma once

#include <ostream>

namespace Tessel::Common::Logging {

// A log destination. Destroying it through this interface releases the destination.
class IAppender {
public:
    virtual ~IAppender() = default;
    virtual std::wostream& GetStream() = 0;
};

} // namespace Tessel::Common::Logging

#pragma once

#include "foundation/win32/OsVersion.h"
#include "os/IOsSpecific.h"
#include "os/VistaOrLaterSpecific.h"
#include "os/WinXPSpecific.h"

// The service that fits the running system: Windows XP (NT 5.1 and 5.2) or Vista and later
// (NT 6 and above); null for older systems, which then get the default handling alone.
IOsSpecific* ChooseOsSpecific(const Tessel::Common::OsVersion& version, WinXPSpecific& winXP,
                              VistaOrLaterSpecific& vistaOrLater);

// Handles a message through the service: PreProcessMessage first, and unless it finished the
// message, the default handling and then PostProcessMessage. Without a service only the default
// handling runs. Changes the services make to the message stay in it.
template <typename DefaultHandling>
LRESULT DispatchThroughOsSpecific(IOsSpecific* service, WindowMessage& message, DefaultHandling&& defaultHandling) {
    if (service == nullptr) {
        return defaultHandling(message);
    }
    LRESULT result = 0;
    if (service->PreProcessMessage(message, result)) {
        return result;
    }
    result = defaultHandling(message);
    service->PostProcessMessage(message, result);
    return result;
}

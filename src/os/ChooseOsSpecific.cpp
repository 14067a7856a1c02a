#include "os/ChooseOsSpecific.h"

IOsSpecific* ChooseOsSpecific(const Tessel::Common::OsVersion& version, WinXPSpecific& winXP,
                              VistaOrLaterSpecific& vistaOrLater) {
    if (version.platformId != VER_PLATFORM_WIN32_NT) {
        return nullptr;
    }
    if (version.major == 5 && version.minor > 0) {
        return &winXP;
    }
    if (version.major > 5) {
        return &vistaOrLater;
    }
    return nullptr;
}

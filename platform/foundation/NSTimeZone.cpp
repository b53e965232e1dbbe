#include "NSTimeZone.h"

#include "Mutex.h"
#include "MutexLocker.h"

#include <unicode/ucal.h>
#include <unicode/ustring.h>

#include <optional>

namespace {

Mutex zoneMutex;
std::optional<std::string> configuredZone VT_GUARDED_BY(zoneMutex);

std::string hostZone()
{
    UChar zone[128];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucal_getDefaultTimeZone(zone, 128, &status);
    if (U_FAILURE(status)) {
        return "UTC";
    }
    char utf8[512];
    int32_t utf8Length = 0;
    u_strToUTF8(utf8, sizeof utf8, &utf8Length, zone, length, &status);
    return U_SUCCESS(status) ? std::string(utf8, static_cast<std::size_t>(utf8Length)) : "UTC";
}

} // namespace

std::string NSTimeZone::defaultTimeZoneName()
{
    {
        MutexLocker locker(zoneMutex);
        if (configuredZone) {
            return *configuredZone;
        }
    }
    return hostZone();
}

void NSTimeZone::setDefaultTimeZoneName(std::string name)
{
    MutexLocker locker(zoneMutex);
    configuredZone = std::move(name);
}

void NSTimeZone::resetDefaultTimeZone()
{
    MutexLocker locker(zoneMutex);
    configuredZone.reset();
}

#include "NSLocale.h"

#include "Mutex.h"
#include "MutexLocker.h"

namespace {

Mutex localeMutex;
std::string currentIdentifier VT_GUARDED_BY(localeMutex) = "en_US";

} // namespace

std::string NSLocale::currentLocaleIdentifier()
{
    MutexLocker locker(localeMutex);
    return currentIdentifier;
}

void NSLocale::setCurrentLocaleIdentifier(std::string identifier)
{
    MutexLocker locker(localeMutex);
    currentIdentifier = std::move(identifier);
}

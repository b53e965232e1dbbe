#include "NSBundle.h"

#include "MutexLocker.h"

NSBundle& NSBundle::mainBundle()
{
    static NSBundle* const bundle = new NSBundle; // lives until exit: libraries ask during their teardown too
    return *bundle;
}

void NSBundle::setMainBundleIdentifier(std::string identifier)
{
    NSBundle& bundle = mainBundle();
    MutexLocker locked(bundle.mutex_);
    bundle.identifier_ = std::move(identifier);
}

std::string NSBundle::bundleIdentifier() const
{
    MutexLocker locked(mutex_);
    return identifier_;
}

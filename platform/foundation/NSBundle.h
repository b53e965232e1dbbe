#pragma once

#include "Mutex.h"
#include "NSObject.h"
#include "ThreadSafety.h"

#include <string>

// The process's main bundle, as far as code loaded into a process asks about it: its identifier, which
// tells a library which process it was loaded into. The host sets it at start ("com.apple.springboard" for
// the shell, "com.apple.Preferences" for the Settings app) before it loads any library; until then it is
// empty. Thread-safe.
class NSBundle final : public NSObject {
public:
    static NSBundle& mainBundle();
    static void setMainBundleIdentifier(std::string identifier);

    std::string bundleIdentifier() const;

    std::string className() const override { return "NSBundle"; }

private:
    NSBundle() = default;

    mutable Mutex mutex_;
    std::string identifier_ VT_GUARDED_BY(mutex_);
};

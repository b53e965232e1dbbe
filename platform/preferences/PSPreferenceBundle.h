#pragma once

#include "NSError.h"
#include "Result.h"
#include "UIViewController.h"

#include <memory>
#include <optional>
#include <string>

class NSFileManager;

// Opens an installed preference bundle: the folder "/System/Library/PreferenceBundles/<Name>.bundle/" with
// an "Info.plist" naming its principal class ("NSPrincipalClass") and, optionally, its library
// ("CFBundleExecutable", else <Name>): an ELF shared object that keeps the device's file name. The library
// is loaded (dlopen; never unloaded) inside a PSControllerRegistry::LoadingBundle scope, so the classes it
// registers belong to the folder; then a controller of the principal class is made. Loading a bundle again
// does not run its initialisers again. Main thread only.
class PSPreferenceBundle {
public:
    static constexpr const char* kPreferenceBundlesPath = "/System/Library/PreferenceBundles/";

    // The bundle's device folder; none for a name that is not a plain file name.
    static std::optional<std::string> bundlePathForName(const std::string& name);

    // A new controller of the bundle's principal class, or why there is none: no such bundle, an Info.plist
    // that does not read or names no principal class, a library the system refuses (dlerror's text), or a
    // principal class the library did not register.
    static Result<std::shared_ptr<UIViewController>> principalControllerOfBundleNamed(const std::string& name,
                                                                                     const NSFileManager& files);
};

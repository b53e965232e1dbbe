#pragma once

#include "NSObject.h"

#include <string>

// An installed application as the shell knows it: its shown name, its bundle identifier and, for an
// application found on the device, its bundle folder and icon files (device paths; empty when it has none).
class SBApplication final : public NSObject {
public:
    struct Bundle {
        std::string path; // "/Applications/MobileSMS.app"
        std::string iconPath; // the home-screen icon
        std::string smallIconPath; // the small icon of lists and settings; the home-screen icon when none
    };

    SBApplication(std::string bundleIdentifier, std::string displayName, Bundle bundle = {})
        : bundleIdentifier_(std::move(bundleIdentifier))
        , displayName_(std::move(displayName))
        , bundle_(std::move(bundle))
    {
    }

    const std::string& bundleIdentifier() const { return bundleIdentifier_; }
    const std::string& displayName() const { return displayName_; }
    const std::string& path() const { return bundle_.path; }
    const std::string& iconPath() const { return bundle_.iconPath; }
    const std::string& smallIconPath() const { return bundle_.smallIconPath; }

    std::string description() const override { return "<SBApplication " + bundleIdentifier_ + ">"; }
    std::string className() const override { return "SBApplication"; }

private:
    const std::string bundleIdentifier_;
    const std::string displayName_;
    const Bundle bundle_;
};

#pragma once

#include "NSObject.h"

#include <string>

// An installed application as the shell knows it: its shown name and its bundle identifier.
class SBApplication final : public NSObject {
public:
    SBApplication(std::string bundleIdentifier, std::string displayName)
        : bundleIdentifier_(std::move(bundleIdentifier)), displayName_(std::move(displayName))
    {
    }

    const std::string& bundleIdentifier() const { return bundleIdentifier_; }
    const std::string& displayName() const { return displayName_; }

    std::string description() const override { return "<SBApplication " + bundleIdentifier_ + ">"; }
    std::string className() const override { return "SBApplication"; }

private:
    const std::string bundleIdentifier_;
    const std::string displayName_;
};

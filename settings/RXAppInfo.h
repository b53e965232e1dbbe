#pragma once

#include "NSComparisonResult.h"
#include "NSDictionary.h"
#include "NSObject.h"

#include <memory>
#include <string>

// One installed application as the application picker lists it: display name, bundle identifier and the
// absolute device path of its icon image.
class RXAppInfo final : public NSObject {
public:
    RXAppInfo(std::string appName, std::string bundleId, std::string iconPath);

    const std::string& appName() const { return appName_; }
    void setAppName(std::string appName) { appName_ = std::move(appName); }
    const std::string& bundleId() const { return bundleId_; }
    void setBundleId(std::string bundleId) { bundleId_ = std::move(bundleId); }
    const std::string& iconPath() const { return iconPath_; }
    void setIconPath(std::string iconPath) { iconPath_ = std::move(iconPath); }

    // {"Application", "Bundle Id", "Icon Path"}: one element of the preference "Ignored Applications".
    std::shared_ptr<NSDictionary> dictionary() const;
    // Orders by display name without regard to letter case.
    NSComparisonResult compareTo(const RXAppInfo& other) const;

    std::string description() const override;
    std::string className() const override { return "RXAppInfo"; }

private:
    std::string appName_;
    std::string bundleId_;
    std::string iconPath_;
};

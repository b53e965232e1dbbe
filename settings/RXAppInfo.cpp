#include "RXAppInfo.h"

#include "NSString.h"

#include <fmt/format.h>

RXAppInfo::RXAppInfo(std::string appName, std::string bundleId, std::string iconPath)
    : appName_(std::move(appName))
    , bundleId_(std::move(bundleId))
    , iconPath_(std::move(iconPath))
{
}

std::shared_ptr<NSDictionary> RXAppInfo::dictionary() const
{
    return NSDictionary::dictionaryWithEntries({
        { "Application", NSString::stringWithString(appName_) },
        { "Bundle Id", NSString::stringWithString(bundleId_) },
        { "Icon Path", NSString::stringWithString(iconPath_) },
    });
}

NSComparisonResult RXAppInfo::compareTo(const RXAppInfo& other) const
{
    return NSString(appName_).caseInsensitiveCompare(NSString(other.appName_));
}

std::string RXAppInfo::description() const
{
    return fmt::format("Name: {}\nId: {}\nIcon Path: {}", appName_, bundleId_, iconPath_);
}

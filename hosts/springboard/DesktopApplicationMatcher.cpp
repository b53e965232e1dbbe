#include "DesktopApplicationMatcher.h"

#include "SBApplicationController.h"

#include <algorithm>
#include <cctype>

namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view lastComponent(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(dot + 1);
}

std::string identifierCharacters(std::string_view name)
{
    std::string identifier(name);
    for (char& c : identifier) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') {
            c = '-';
        }
    }
    return identifier;
}

} // namespace

std::shared_ptr<SBApplication> DesktopApplicationMatcher::applicationFor(const std::string& appName,
                                                                         const std::string& desktopEntry)
{
    if (auto installed = installedApplicationFor(appName, desktopEntry)) {
        return installed;
    }
    return madeUpApplicationFor(appName, desktopEntry);
}

std::shared_ptr<SBApplication> DesktopApplicationMatcher::installedApplicationFor(const std::string& appName,
                                                                                  const std::string& desktopEntry)
{
    const auto applications = SBApplicationController::sharedInstance().allApplications();
    auto firstWhere = [&](auto matches) -> std::shared_ptr<SBApplication> {
        const auto found = std::find_if(applications.begin(), applications.end(),
                                        [&](const auto& application) { return matches(*application); });
        return found == applications.end() ? nullptr : *found;
    };
    if (!desktopEntry.empty()) {
        if (auto byIdentifier = firstWhere(
                [&](const SBApplication& a) { return sameIgnoringCase(a.bundleIdentifier(), desktopEntry); })) {
            return byIdentifier;
        }
        const std::string_view entryName = lastComponent(desktopEntry);
        if (auto byName = firstWhere([&](const SBApplication& a) {
                return !entryName.empty() && (sameIgnoringCase(lastComponent(a.bundleIdentifier()), entryName) ||
                                              sameIgnoringCase(a.displayName(), entryName));
            })) {
            return byName;
        }
    }
    if (appName.empty()) {
        return nullptr;
    }
    return firstWhere([&](const SBApplication& a) { return sameIgnoringCase(a.displayName(), appName); });
}

std::shared_ptr<SBApplication> DesktopApplicationMatcher::madeUpApplicationFor(const std::string& appName,
                                                                               const std::string& desktopEntry)
{
    std::string displayName = appName.empty() ? std::string(lastComponent(desktopEntry)) : appName;
    if (displayName.empty()) {
        displayName = kUnnamed;
    }
    const std::string_view identity = !desktopEntry.empty() ? desktopEntry : displayName;
    return std::make_shared<SBApplication>(std::string(kMadeUpPrefix) + identifierCharacters(identity),
                                           std::move(displayName));
}

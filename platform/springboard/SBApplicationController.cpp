#include "SBApplicationController.h"

#include "DeviceRoot.h"
#include "MutexLocker.h"
#include "NSArray.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSString.h"

#include <algorithm>

namespace {

bool endsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool isFile(const std::string& path)
{
    bool isDirectory = false;
    return NSFileManager::defaultManager().fileExistsAtPath(path, isDirectory) && !isDirectory;
}

// The bundle's file of that name; a name given without extension is the PNG of that name.
std::optional<std::string> iconFileInBundle(const std::string& bundlePath, const std::string& name)
{
    if (name.empty() || name.find('/') != std::string::npos) {
        return std::nullopt;
    }
    for (const std::string& candidate : {name, name + ".png"}) {
        if (isFile(bundlePath + "/" + candidate)) {
            return bundlePath + "/" + candidate;
        }
    }
    return std::nullopt;
}

std::vector<std::string> namedIconFiles(const NSDictionary& info)
{
    std::vector<std::string> names;
    if (auto file = info.stringForKey("CFBundleIconFile")) {
        names.push_back(*file);
    }
    if (const auto files = info.objectForKey<NSArray>("CFBundleIconFiles")) {
        for (const id& file : files->objects()) {
            const auto name = as<NSString>(file);
            if (name && name->string().find("Small") == std::string::npos) {
                names.push_back(name->string());
            }
        }
    }
    names.emplace_back("Icon.png");
    return names;
}

} // namespace

SBApplicationController& SBApplicationController::sharedInstance()
{
    static SBApplicationController controller;
    return controller;
}

std::shared_ptr<SBApplication> SBApplicationController::applicationWithDisplayIdentifier(
    const std::string& bundleIdentifier)
{
    const MutexLocker guard(mutex_);
    scanIfChanged();
    for (const auto& application : applications_) {
        if (application->bundleIdentifier() == bundleIdentifier) {
            return application;
        }
    }
    return nullptr;
}

std::vector<std::shared_ptr<SBApplication>> SBApplicationController::allApplications()
{
    const MutexLocker guard(mutex_);
    scanIfChanged();
    return applications_;
}

void SBApplicationController::rescan()
{
    const MutexLocker guard(mutex_);
    scan();
}

void SBApplicationController::scanIfChanged()
{
    if (!scanned_ || !unchangedSince(*scanned_)) {
        scan();
    }
}

bool SBApplicationController::unchangedSince(const Fingerprint& scanned)
{
    // A container or bundle added or removed changes the time of the folder that holds it, and each of
    // those is in the fingerprint; so the folders need not be listed again, only looked at.
    if (scanned.empty() || scanned.front().first != DeviceRoot::root()) {
        return false;
    }
    return std::all_of(scanned.begin() + 1, scanned.end(), [](const auto& folder) {
        std::error_code error;
        return std::filesystem::last_write_time(folder.first, error) == folder.second;
    });
}

void SBApplicationController::scan()
{
    scanned_ = fingerprint();
    applications_.clear();
    for (const std::string& bundlePath : bundlePaths()) {
        auto application = applicationInBundle(bundlePath);
        const bool taken = application
            && std::any_of(applications_.begin(), applications_.end(),
                [&](const auto& known) { return known->bundleIdentifier() == application->bundleIdentifier(); });
        if (application && !taken) {
            applications_.push_back(std::move(application));
        }
    }
}

SBApplicationController::Fingerprint SBApplicationController::fingerprint()
{
    Fingerprint folders{{DeviceRoot::root(), {}}};
    const auto add = [&](const std::string& devicePath) {
        std::error_code error;
        const auto host = DeviceRoot::resolve(devicePath);
        folders.emplace_back(host, std::filesystem::last_write_time(host, error));
    };
    add(std::string(kSystemApplicationsPath));
    add(std::string(kUserApplicationsPath));
    const std::string userFolder(kUserApplicationsPath);
    if (const auto containers = NSFileManager::defaultManager().contentsOfDirectoryAtPath(userFolder)) {
        for (const std::string& container : containers.value()) {
            add(userFolder + "/" + container);
        }
    }
    for (const std::string& bundle : bundlePaths()) {
        add(bundle);
    }
    return folders;
}

std::vector<std::string> SBApplicationController::bundlePaths()
{
    std::vector<std::string> paths = bundlesIn(std::string(kSystemApplicationsPath));
    const std::string userFolder(kUserApplicationsPath);
    const auto containers = NSFileManager::defaultManager().contentsOfDirectoryAtPath(userFolder);
    if (containers) {
        for (const std::string& container : containers.value()) {
            const auto inContainer = bundlesIn(userFolder + "/" + container);
            paths.insert(paths.end(), inContainer.begin(), inContainer.end());
        }
    }
    return paths;
}

std::vector<std::string> SBApplicationController::bundlesIn(const std::string& folder)
{
    std::vector<std::string> bundles;
    const auto names = NSFileManager::defaultManager().contentsOfDirectoryAtPath(folder);
    if (!names) {
        return bundles;
    }
    for (const std::string& name : names.value()) {
        if (endsWith(name, ".app")) {
            bundles.push_back(folder + "/" + name);
        }
    }
    return bundles;
}

std::shared_ptr<SBApplication> SBApplicationController::applicationInBundle(const std::string& bundlePath)
{
    const auto info
        = NSFileManager::defaultManager().readPropertyListAtPath(bundlePath + "/Info.plist").valueAs<NSDictionary>();
    if (!info) {
        return nullptr;
    }
    const auto identifier = info->stringForKey("CFBundleIdentifier");
    if (!identifier || identifier->empty()) {
        return nullptr;
    }
    auto name = info->stringForKey("CFBundleDisplayName");
    if (!name || name->empty()) {
        name = info->stringForKey("CFBundleName");
    }
    if (!name || name->empty()) {
        const std::string folder = bundlePath.substr(bundlePath.rfind('/') + 1);
        name = folder.substr(0, folder.size() - std::string_view(".app").size());
    }
    std::string icon = iconPath(bundlePath, *info);
    std::string smallIcon = smallIconPath(bundlePath, icon);
    return std::make_shared<SBApplication>(
        *identifier, *name, SBApplication::Bundle{bundlePath, std::move(icon), std::move(smallIcon)});
}

std::string SBApplicationController::iconPath(const std::string& bundlePath, const NSDictionary& info)
{
    for (const std::string& name : namedIconFiles(info)) {
        if (auto path = iconFileInBundle(bundlePath, name)) {
            return *path;
        }
    }
    return {};
}

std::string SBApplicationController::smallIconPath(const std::string& bundlePath, const std::string& iconPath)
{
    return iconFileInBundle(bundlePath, "Icon-Small.png").value_or(iconPath);
}

#include "PSPreferenceBundle.h"

#include "DeviceRoot.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "PSControllerRegistry.h"
#include "PSSpecifierFile.h"
#include "PSViewController.h"

#include <dlfcn.h>

namespace {

bool isPlainFileName(const std::string& name)
{
    return !name.empty() && name.front() != '.' && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::optional<NSError> loadLibrary(const std::string& bundlePath, const std::string& executable)
{
    const std::string hostPath = DeviceRoot::resolve(bundlePath + "/" + executable).string();
    PSControllerRegistry::LoadingBundle loading(bundlePath);
    if (::dlopen(hostPath.c_str(), RTLD_NOW | RTLD_GLOBAL) == nullptr) {
        const char* error = ::dlerror();
        return NSError(error ? error : "the system's loader refused " + hostPath);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> PSPreferenceBundle::bundlePathForName(const std::string& name)
{
    if (!isPlainFileName(name)) {
        return std::nullopt;
    }
    return std::string(kPreferenceBundlesPath) + name + ".bundle";
}

Result<std::shared_ptr<UIViewController>> PSPreferenceBundle::principalControllerOfBundleNamed(const std::string& name,
                                                                                               const NSFileManager& files)
{
    const auto bundlePath = bundlePathForName(name);
    if (!bundlePath) {
        return NSError("\"" + name + "\" is not a bundle name");
    }
    const std::string infoPath = *bundlePath + "/Info.plist";
    const PropertyListRead read = files.readPropertyListAtPath(infoPath, PSSpecifierFile::limits());
    if (!read.isOk()) {
        return NSError(infoPath + ": " + read.reason());
    }
    const auto info = read.valueAs<NSDictionary>();
    const auto principal = info ? info->stringForKey("NSPrincipalClass") : std::nullopt;
    if (!principal) {
        return NSError(infoPath + " names no principal class (NSPrincipalClass)");
    }
    const std::string executable = info->stringForKey("CFBundleExecutable").value_or(name);
    if (!isPlainFileName(executable)) {
        return NSError(infoPath + ": \"" + executable + "\" is not a library name");
    }
    // A bundle opened before has registered its classes already.
    const bool loaded = PSControllerRegistry::shared().bundlePathOfClass(*principal) == *bundlePath;
    if (!loaded) {
        if (auto failure = loadLibrary(*bundlePath, executable)) {
            return *failure;
        }
    }
    auto controller = PSControllerRegistry::shared().createControllerOfClass(*principal);
    if (!controller) {
        return NSError("the bundle " + name + " registers no page class " + *principal);
    }
    if (auto* page = dynamic_cast<PSViewController*>(controller.get()); page && page->bundlePath().empty()) {
        page->setBundlePath(*bundlePath);
    }
    return controller;
}

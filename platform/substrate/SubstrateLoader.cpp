#include "SubstrateLoader.h"

#include "DeviceRoot.h"
#include "NSArray.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSPropertyListSerialization.h"
#include "NSString.h"
#include "OpenStepPropertyList.h"
#include "PropertyListLimits.h"

#include <dlfcn.h>

#include <cstdio>
#include <string_view>

namespace {

constexpr std::string_view kLibrarySuffix = ".dylib";

// A filter is a few lines; anything near these limits is not one.
PropertyListLimits filterLimits()
{
    PropertyListLimits limits;
    limits.maxBytes = 64 * 1024;
    limits.maxDepth = 8;
    limits.maxObjects = 4096;
    return limits;
}

bool arrayHoldsString(const NSArray& array, const std::string& wanted)
{
    for (const id& object : array.objects()) {
        const auto string = as<NSString>(object);
        if (string && string->string() == wanted) {
            return true;
        }
    }
    return false;
}

// A filter in the text form or, through the property-list guard, in the XML or binary form.
Result<id> readFilter(const std::string& filterPath)
{
    const PropertyListLimits limits = filterLimits();
    const Result<std::string> contents = NSFileManager::defaultManager().contentsAtPath(filterPath, limits.maxBytes);
    if (!contents) {
        return contents.error();
    }
    if (OpenStepPropertyList::looksLikeOpenStep(contents.value())) {
        return OpenStepPropertyList::parse(contents.value(), limits.maxDepth);
    }
    return NSPropertyListSerialization::propertyListWithData(contents.value(), limits);
}

} // namespace

std::vector<LoadedLibrary> SubstrateLoader::loadLibrariesForBundleIdentifier(const std::string& bundleIdentifier)
{
    NSFileManager& files = NSFileManager::defaultManager();
    if (!files.fileExistsAtPath(kDynamicLibrariesPath)) {
        return {};
    }
    const Result<std::vector<std::string>> names = files.contentsOfDirectoryAtPath(kDynamicLibrariesPath);
    if (!names) {
        std::fprintf(stderr, "SubstrateLoader: %s: %s; no library loaded\n", kDynamicLibrariesPath,
                     names.error().reason().c_str());
        return {};
    }
    std::vector<LoadedLibrary> libraries;
    for (const std::string& fileName : names.value()) { // sorted, so libraries load in name order
        if (fileName.size() > kLibrarySuffix.size() && fileName.ends_with(kLibrarySuffix)) {
            const std::string name = fileName.substr(0, fileName.size() - kLibrarySuffix.size());
            libraries.push_back(loadCandidate(name, bundleIdentifier));
        }
    }
    return libraries;
}

Result<bool> SubstrateLoader::filterNamesBundle(const std::string& filterPath, const std::string& bundleIdentifier)
{
    const Result<id> read = readFilter(filterPath);
    if (!read) {
        return read.error();
    }
    const auto plist = as<NSDictionary>(read.value());
    const auto filter = plist ? plist->objectForKey<NSDictionary>("Filter") : nullptr;
    const auto bundles = filter ? filter->objectForKey<NSArray>("Bundles") : nullptr;
    if (!bundles) {
        return NSError("not a filter (a dictionary \"Filter\" with an array \"Bundles\")");
    }
    return arrayHoldsString(*bundles, bundleIdentifier);
}

LoadedLibrary SubstrateLoader::loadCandidate(const std::string& name, const std::string& bundleIdentifier)
{
    LoadedLibrary library;
    library.name = name;
    const std::string filterPath = std::string(kDynamicLibrariesPath) + name + ".plist";
    const Result<bool> matches = filterNamesBundle(filterPath, bundleIdentifier);
    if (!matches) {
        library.reason = filterPath + ": " + matches.error().reason();
        std::fprintf(stderr, "SubstrateLoader: %s; %s not loaded\n", library.reason.c_str(), name.c_str());
        return library;
    }
    if (!matches.value()) {
        library.reason = "its filter does not name " + bundleIdentifier;
        return library;
    }
    const std::string hostPath = DeviceRoot::resolve(std::string(kDynamicLibrariesPath) + name + ".dylib").string();
    library.handle = ::dlopen(hostPath.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!library.handle) {
        const char* error = ::dlerror();
        library.reason = error ? error : "the system's loader refused it";
        std::fprintf(stderr, "SubstrateLoader: cannot load %s: %s\n", name.c_str(), library.reason.c_str());
        return library;
    }
    library.loaded = true;
    return library;
}

#include "DeviceRoot.h"

#include "Mutex.h"
#include "MutexLocker.h"

#include <cstdlib>
#include <optional>
#include <vector>

namespace {

Mutex rootMutex;
std::optional<std::filesystem::path> configuredRoot VT_GUARDED_BY(rootMutex);

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::filesystem::path DeviceRoot::defaultRoot()
{
    // XDG: a relative $XDG_DATA_HOME is invalid and is to be ignored.
    const std::filesystem::path dataHome = environment("XDG_DATA_HOME");
    if (dataHome.is_absolute()) {
        return dataHome / "vantle" / "device";
    }
    const std::string home = environment("HOME");
    if (!home.empty()) {
        return std::filesystem::path(home) / ".local" / "share" / "vantle" / "device";
    }
    return std::filesystem::current_path() / "vantle-device";
}

std::filesystem::path DeviceRoot::root()
{
    {
        MutexLocker locker(rootMutex);
        if (configuredRoot) {
            return *configuredRoot;
        }
    }
    return defaultRoot();
}

void DeviceRoot::setRoot(const std::filesystem::path& root)
{
    MutexLocker locker(rootMutex);
    configuredRoot = std::filesystem::absolute(root).lexically_normal();
}

void DeviceRoot::resetRoot()
{
    MutexLocker locker(rootMutex);
    configuredRoot.reset();
}

std::string DeviceRoot::normalise(std::string_view devicePath)
{
    std::vector<std::string_view> parts;
    std::size_t at = 0;
    while (at <= devicePath.size()) {
        std::size_t slash = devicePath.find('/', at);
        if (slash == std::string_view::npos) {
            slash = devicePath.size();
        }
        const std::string_view part = devicePath.substr(at, slash - at);
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = slash + 1;
    }
    std::string normalised;
    for (const std::string_view part : parts) {
        normalised += '/';
        normalised += part;
    }
    return normalised.empty() ? "/" : normalised;
}

std::filesystem::path DeviceRoot::resolve(std::string_view devicePath)
{
    const std::string normalised = normalise(devicePath);
    const std::filesystem::path base = root();
    if (normalised == "/") {
        return base;
    }
    return base / normalised.substr(1);
}

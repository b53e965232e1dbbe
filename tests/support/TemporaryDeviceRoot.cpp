#include "TemporaryDeviceRoot.h"

#include "DeviceRoot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TemporaryDeviceRoot::TemporaryDeviceRoot()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vantle-device-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        ADD_FAILURE() << "cannot create a temporary device root";
    }
    path_ = pattern;
    DeviceRoot::setRoot(path_);
}

TemporaryDeviceRoot::~TemporaryDeviceRoot()
{
    DeviceRoot::resetRoot();
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TemporaryDeviceRoot::hostPath(std::string_view devicePath) const
{
    const std::string normalised = DeviceRoot::normalise(devicePath);
    return normalised == "/" ? path_ : path_ / normalised.substr(1);
}

void TemporaryDeviceRoot::createDirectory(std::string_view devicePath) const
{
    std::filesystem::create_directories(hostPath(devicePath));
}

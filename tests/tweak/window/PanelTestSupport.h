#pragma once

// What the panel's and the window controller's tests share: the build's artwork installed on a temporary
// device root, a controller that records what the panel asks of it, and running the main loop.

#include "NSRunLoop.h"
#include "TemporaryDeviceRoot.h"
#include "VTController.h"

#include <filesystem>
#include <string>
#include <vector>

namespace paneltest {

// Copies the panel's artwork (the images folder and the actions bar's shadow) from the build's artwork
// tree onto the device root, as the install step lays it out.
inline void installArtwork(const TemporaryDeviceRoot& root)
{
    namespace fs = std::filesystem;
    const fs::path artwork(VANTLE_ARTWORK_DIR);
    for (const char* folder : {"/var/mobile/Library/Vantle/Images", "/Applications/Vantle.app"}) {
        const fs::path target = root.hostPath(folder);
        fs::create_directories(target);
        fs::copy(artwork / std::string(folder).substr(1), target, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
}

// Runs what the main loop has ready, until nothing is left.
inline void drain()
{
    while (NSRunLoop::mainRunLoop().runOnce()) {
    }
}

class RecordingController final : public VTController {
public:
    void launchAppWithIdentifier(const std::string& identifier) override { calls.push_back("launch " + identifier); }
    void toggleWindow() override { calls.push_back("toggle"); }
    bool isWindowShown() const override { return true; }
    void setShowWindow(bool show) override { calls.push_back(show ? "show" : "hide"); }

    std::vector<std::string> calls;
};

} // namespace paneltest

#pragma once

#include <functional>
#include <string>
#include <vector>

// A key of the desktop's keyboard that stands for one of the device's buttons while a host shows its screen
// in a window. Keys are named as SDL names them ("H", "Escape", "Left").
struct WindowKey {
    std::vector<std::string> names;
    std::string meaning; // "the home button"
    std::function<void()> press;

    // The keys as the end of a host's --help: one line per key with what it does.
    static std::string helpText(const std::vector<WindowKey>& keys);
};

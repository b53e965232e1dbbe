#include "WindowKey.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

std::string WindowKey::helpText(const std::vector<WindowKey>& keys)
{
    std::string text = "In the window (--window), the mouse is the finger and these keys are the device's:\n";
    for (const WindowKey& key : keys) {
        text += fmt::format("  {:<20} {}\n", fmt::format("{}", fmt::join(key.names, ", ")), key.meaning);
    }
    text += "Closing the window stops the host, as SIGTERM does.";
    return text;
}

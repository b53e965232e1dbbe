#pragma once

#include "NSError.h"

#include <optional>

// The shell's notification panel, as a running shell on the session bus shows it. While the panel is open
// the shell keeps the records it read and writes them back when it closes, so a change made to the log
// files meanwhile would be undone by that close. A change from outside therefore closes the panel first,
// as the home button does, and waits until the shell is idle, which is after the close's rewrite.
class OpenPanel {
public:
    // Closes the panel if a shell runs and shows it; nothing to do without a bus or a shell. Fails when a
    // shell answers but could not be asked or did not become idle (its reason).
    [[nodiscard]] static std::optional<NSError> closeIfShown();

    // The name the shell's state gives the panel's window.
    static constexpr const char* kWindowName = "VTWindowController";
};

#pragma once

#include "WindowKey.h"
#include "WindowScreen.h"

#include <vector>

class SBShell;

// The shell's screen in a window: the picture stands upright as the phone is held, the pointer's points are
// turned back onto the 320 x 480 screen and go through the shell's touch router, as sbctl's touches do; it
// moves by itself while an animation runs.
class ShellWindowScreen final : public WindowScreen {
public:
    explicit ShellWindowScreen(SBShell& shell);

    // The keys that press the phone's buttons and turn it. `shell` may be null for the keys' names and
    // meanings alone (--help); a key is pressed only with a shell.
    static std::vector<WindowKey> keys(SBShell* shell);
};

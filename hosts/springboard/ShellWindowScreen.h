#pragma once

#include "WindowKey.h"
#include "WindowScreen.h"

#include <vector>

class SBShell;

// The shell's screen in a window: the picture stands upright as the phone is held, the pointer's points are
// turned back onto the 320 x 480 screen and go through the shell's touch router, as sbctl's touches do.
class ShellWindowScreen final : public WindowScreen {
public:
    explicit ShellWindowScreen(SBShell& shell) : shell_(shell) {}

    // The keys that press the phone's buttons and turn it. `shell` may be null for the keys' names and
    // meanings alone (--help); a key is pressed only with a shell.
    static std::vector<WindowKey> keys(SBShell* shell);

    std::shared_ptr<UIImage> picture() override;
    bool isAnimating() const override;
    int beginTouch(CGPoint point) override;
    void moveTouch(int touch, CGPoint point) override;
    void endTouch(int touch, CGPoint point) override;

private:
    SBShell& shell_;
};

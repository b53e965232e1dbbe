#include "ShellWindowScreen.h"

#include "CAAnimationScheduler.h"
#include "SBShell.h"

#include <iostream>

namespace {

// What the shell refused (a rotation before launch, say) is said on stderr, as a tool would.
void report(const std::optional<NSError>& refusal)
{
    if (refusal) {
        std::cerr << "springboard: " << refusal->reason() << "\n";
    }
}

// Turning the phone a quarter clockwise at a time: portrait, landscape-left, upside-down, landscape-right.
int nextOrientationClockwise(int orientation)
{
    switch (orientation) {
    case 1:
        return 4;
    case 4:
        return 2;
    case 2:
        return 3;
    default:
        return 1;
    }
}

} // namespace

ShellWindowScreen::ShellWindowScreen(SBShell& shell)
    : WindowScreen(shell.screen(), [] { return CAAnimationScheduler::shared().hasRunningAnimations(); })
{
}

std::vector<WindowKey> ShellWindowScreen::keys(SBShell* shell)
{
    auto rotateTo = [shell](int orientation) { return [shell, orientation] { report(shell->rotate(orientation)); }; };
    return {
        {{"H", "Escape", "Home"}, "the home button", [shell] { report(shell->pressHome()); }},
        {{"S"}, "a double press of the home button: the app switcher", [shell] { report(shell->openSwitcher()); }},
        {{"L"}, "the lock button (on the lock screen it unlocks)",
            [shell] { report(shell->state().locked ? shell->unlock() : shell->lock()); }},
        {{"Up"}, "turn the phone to portrait", rotateTo(1)},
        {{"Down"}, "turn the phone upside down", rotateTo(2)},
        {{"Left"}, "turn the phone to landscape, home button on the left", rotateTo(4)},
        {{"Right"}, "turn the phone to landscape, home button on the right", rotateTo(3)},
        {{"R"}, "turn the phone a quarter clockwise",
            [shell] { report(shell->rotate(nextOrientationClockwise(shell->state().orientation))); }},
    };
}

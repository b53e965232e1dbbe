#include "SettingsWindowScreen.h"

#include "CAAnimationScheduler.h"
#include "PreferencesAppController.h"

SettingsWindowScreen::SettingsWindowScreen(PreferencesAppController& settings)
    : WindowScreen(settings.screen(), [&settings] {
        return CAAnimationScheduler::shared().hasRunningAnimations() || settings.rootController().isInTransition();
    })
{
}

std::vector<WindowKey> SettingsWindowScreen::keys(PreferencesAppController* settings)
{
    return {
        // On the root page there is no back button; the press does nothing then.
        {{"Escape", "Backspace"}, "the back button of the navigation bar", [settings] { (void)settings->back(); }},
    };
}

#include "SettingsWindowScreen.h"

#include "CAAnimationScheduler.h"
#include "PreferencesAppController.h"

std::vector<WindowKey> SettingsWindowScreen::keys(PreferencesAppController* settings)
{
    return {
        // On the root page there is no back button; the press does nothing then.
        {{"Escape", "Backspace"}, "the back button of the navigation bar", [settings] { (void)settings->back(); }},
    };
}

std::shared_ptr<UIImage> SettingsWindowScreen::picture() { return settings_.screenImage(); }

bool SettingsWindowScreen::isAnimating() const
{
    return CAAnimationScheduler::shared().hasRunningAnimations() || settings_.rootController().isInTransition();
}

int SettingsWindowScreen::beginTouch(CGPoint point) { return settings_.beginTouch(point); }

void SettingsWindowScreen::moveTouch(int touch, CGPoint point) { settings_.moveTouch(touch, point); }

void SettingsWindowScreen::endTouch(int touch, CGPoint point) { settings_.endTouch(touch, point); }

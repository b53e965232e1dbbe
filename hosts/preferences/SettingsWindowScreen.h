#pragma once

#include "WindowKey.h"
#include "WindowScreen.h"

#include <vector>

class PreferencesAppController;

// The Settings application's screen in a window: the pointer goes through the application's touch router, as
// settingsctl's touches do; it moves by itself while an animation or a navigation slide runs.
class SettingsWindowScreen final : public WindowScreen {
public:
    explicit SettingsWindowScreen(PreferencesAppController& settings);

    // The keys of the window. `settings` may be null for the keys' names and meanings alone (--help); a key
    // is pressed only with the application.
    static std::vector<WindowKey> keys(PreferencesAppController* settings);
};

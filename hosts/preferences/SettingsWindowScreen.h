#pragma once

#include "WindowKey.h"
#include "WindowScreen.h"

#include <vector>

class PreferencesAppController;

// The Settings application's screen in a window: the pointer goes through the application's touch router, as
// settingsctl's touches do.
class SettingsWindowScreen final : public WindowScreen {
public:
    explicit SettingsWindowScreen(PreferencesAppController& settings) : settings_(settings) {}

    // The keys of the window. `settings` may be null for the keys' names and meanings alone (--help); a key
    // is pressed only with the application.
    static std::vector<WindowKey> keys(PreferencesAppController* settings);

    std::shared_ptr<UIImage> picture() override;
    bool isAnimating() const override;
    int beginTouch(CGPoint point) override;
    void moveTouch(int touch, CGPoint point) override;
    void endTouch(int touch, CGPoint point) override;

private:
    PreferencesAppController& settings_;
};

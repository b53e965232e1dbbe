#pragma once

#include "ControlObject.h"

#include <functional>
#include <optional>
#include <string>

class PreferencesAppController;

// The Settings application's control object (the names and methods are in PreferencesControlNames): each
// method becomes one or more operations of the application, each run once it is idle. Main thread only.
class PreferencesControlObject {
public:
    // `busAddress` absent: the session bus of the environment (DBUS_SESSION_BUS_ADDRESS).
    // `isPresented` (when given) says whether the window shows the screen as it is; the host is idle only then.
    explicit PreferencesControlObject(PreferencesAppController& app, std::function<bool()> isPresented = {},
        std::optional<std::string> busAddress = std::nullopt);

    [[nodiscard]] std::optional<NSError> start() { return control_.start(); }
    void stop() { control_.stop(); }

private:
    void registerNavigationCommands();
    void registerRowCommands();
    void registerAlertCommands();
    // A command whose one step needs no argument beyond what was read.
    void registerStep(
        const char* method, const char* inputSignature, std::function<ControlObject::Step(sdbus::MethodCall&)> read);

    PreferencesAppController& app_;
    ControlObject control_;
};

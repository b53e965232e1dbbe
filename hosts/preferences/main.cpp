// preferences: the Settings application. Headless, it draws its screen into memory and writes PNGs when
// asked; with --window it also shows the screen in a window of the desktop, the mouse as the finger. It runs
// on the session bus of DBUS_SESSION_BUS_ADDRESS and is driven through its control object (see
// PreferencesControlNames, and the settingsctl tool). Stops cleanly on SIGTERM, SIGINT or when its window
// closes.
#include "CrossProcessChannels.h"
#include "DeviceRoot.h"
#include "HostOptions.h"
#include "JobThreadTracker.h"
#include "NSBundle.h"
#include "NSRunLoop.h"
#include "PreferencesAppController.h"
#include "PreferencesControlObject.h"
#include "SettingsWindowScreen.h"
#include "SystemLog.h"
#include "TerminationSignals.h"
#include "UIScreen.h"
#include "WindowPresenter.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

namespace {

constexpr const char* kBundleIdentifier = "com.apple.Preferences";

constexpr const char* kDescription
    = "The Vantle Settings application: the simulated phone's Settings, headless or in a window, on the D-Bus "
      "session bus of DBUS_SESSION_BUS_ADDRESS. Drive it with settingsctl; stop it with SIGTERM or SIGINT.";

} // namespace

int main(int argc, char** argv)
{
    TerminationSignals::block();
    // Whoever started the host sees what went wrong (a failed write, a refused sender, a file set aside):
    // without a syslog daemon the system log alone would show it to no one.
    SystemLog::setMirrorsToStandardError(true);

    HostOptions options;
    if (const auto status = HostOptions::parse("preferences", kDescription, argc, argv, options,
            WindowKey::helpText(SettingsWindowScreen::keys(nullptr)))) {
        return *status;
    }

    DeviceRoot::setRoot(options.root);
    std::error_code error;
    if (!std::filesystem::is_directory(DeviceRoot::root(), error)) {
        std::cerr << "preferences: there is no device at " << options.root
                  << "; create it with `vantle-device install --root " << options.root << "`\n";
        return 1;
    }
    UIScreen::mainScreen()->setScale(options.scale);
    NSBundle::setMainBundleIdentifier(kBundleIdentifier);
    CrossProcessChannels::useSessionBus();

    PreferencesAppController settings;
    settings.finishLaunching();
    auto stop = [] { NSRunLoop::mainRunLoop().stop(); };
    SettingsWindowScreen screen(settings);
    std::unique_ptr<WindowPresenter> window;
    if (options.window) {
        auto opened = WindowPresenter::open(
            "Vantle Settings", WindowPresenter::Side::Right, screen, SettingsWindowScreen::keys(&settings), stop);
        if (!opened) {
            std::cerr << "preferences: " << opened.error().reason() << "\n";
            return 1;
        }
        window = std::move(opened.value());
    }
    PreferencesControlObject control(settings, [&window] { return !window || window->isSettled(); });
    if (const auto failure = control.start()) {
        std::cerr << "preferences: " << failure->reason() << "\n";
        return 1;
    }
    TerminationSignals signals([stop](int) { stop(); });
    std::cout << "preferences: ready" << std::endl;
    NSRunLoop::mainRunLoop().run();

    JobThreadTracker::waitForAll();
    control.stop();
    return 0;
}

// springboard: the shell host. Headless, it draws its screen into memory and writes PNGs when asked; with
// --window it also shows the screen in a window of the desktop, the mouse as the finger. It runs on the
// session bus of DBUS_SESSION_BUS_ADDRESS and is driven through its control object (see
// SpringBoardControlNames, and the sbctl tool). Stops cleanly on SIGTERM, SIGINT or when its window closes.
#include "CPDistributedMessagingCenter.h"
#include "CrossProcessChannels.h"
#include "DesktopNotificationServer.h"
#include "DeviceRoot.h"
#include "HostOptions.h"
#include "JobThreadTracker.h"
#include "NSBundle.h"
#include "NSRunLoop.h"
#include "SBShell.h"
#include "ShellWindowScreen.h"
#include "SpringBoardControlObject.h"
#include "SubstrateLoader.h"
#include "SystemLog.h"
#include "TerminationSignals.h"
#include "UIScreen.h"
#include "WindowPresenter.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

namespace {

constexpr const char* kBundleIdentifier = "com.apple.springboard";

// Why the device root cannot be run on, or nothing when it can: it must exist and have been installed.
std::optional<std::string> problemWithRoot(const std::filesystem::path& root)
{
    const std::string install = "create it with `vantle-device install --root " + root.string() + "`";
    std::error_code error;
    if (!std::filesystem::is_directory(root, error)) {
        return "there is no device at " + root.string() + "; " + install;
    }
    if (!std::filesystem::is_directory(DeviceRoot::resolve(SubstrateLoader::kDynamicLibrariesPath), error)) {
        return root.string() + " is not an installed device (it has no " +
               std::string(SubstrateLoader::kDynamicLibrariesPath) + "); " + install;
    }
    return std::nullopt;
}

void loadInjectedLibraries()
{
    for (const LoadedLibrary& library : SubstrateLoader::loadLibrariesForBundleIdentifier(kBundleIdentifier)) {
        if (library.loaded) {
            std::cerr << "springboard: loaded " << library.name << "\n";
        } else {
            std::cerr << "springboard: did not load " << library.name << ": " << library.reason << "\n";
        }
    }
}

constexpr const char* kDescription =
    "The Vantle shell: the simulated phone's home screen, headless or in a window, on the D-Bus session bus "
    "of DBUS_SESSION_BUS_ADDRESS. Drive it with sbctl; stop it with SIGTERM or SIGINT.";

} // namespace

int main(int argc, char** argv)
{
    TerminationSignals::block();
    // Whoever started the host sees what went wrong (a failed write, a refused sender, a file set aside):
    // without a syslog daemon the system log alone would show it to no one.
    SystemLog::setMirrorsToStandardError(true);

    HostOptions options;
    bool desktopNotifications = false;
    const auto addShellOptions = [&](CLI::App& app) {
        app.add_flag("--desktop-notifications", desktopNotifications,
                     "Also serve the desktop's notifications (org.freedesktop.Notifications): each is logged and "
                     "shown as a push notification");
    };
    if (const auto status = HostOptions::parse("springboard", kDescription, argc, argv, options,
                                               WindowKey::helpText(ShellWindowScreen::keys(nullptr)), addShellOptions)) {
        return *status;
    }

    DeviceRoot::setRoot(options.root);
    if (const auto problem = problemWithRoot(DeviceRoot::root())) {
        std::cerr << "springboard: " << *problem << "\n";
        return 1;
    }
    UIScreen::mainScreen()->setScale(options.scale);
    NSBundle::setMainBundleIdentifier(kBundleIdentifier);
    CrossProcessChannels::useSessionBus();
    loadInjectedLibraries();
    SBShell::shared().finishLaunching();

    auto stop = [] { NSRunLoop::mainRunLoop().stop(); };
    ShellWindowScreen screen(SBShell::shared());
    std::unique_ptr<WindowPresenter> window;
    if (options.window) {
        auto opened = WindowPresenter::open("Vantle SpringBoard", WindowPresenter::Side::Left, screen,
                                            ShellWindowScreen::keys(&SBShell::shared()), stop);
        if (!opened) {
            std::cerr << "springboard: " << opened.error().reason() << "\n";
            return 1;
        }
        window = std::move(opened.value());
    }
    SpringBoardControlObject control(SBShell::shared(), [&window] { return !window || window->isSettled(); });
    if (const auto error = control.start()) {
        std::cerr << "springboard: " << error->reason() << "\n";
        return 1;
    }
    // A library's centre that another process serves would leave that process taking what is meant for
    // the shell (the tweak's log records), while the library goes on without saying so.
    const auto unserved = CPDistributedMessagingCenter::serverFailures();
    for (const CPMessagingError& failure : unserved) {
        std::cerr << "springboard: " << failure.reason() << "\n";
    }
    if (!unserved.empty()) {
        return 1;
    }
    std::optional<DesktopNotificationServer> notifications;
    if (desktopNotifications) {
        notifications.emplace();
        if (const auto error = notifications->start()) {
            std::cerr << "springboard: " << error->reason() << "; going on without desktop notifications\n";
        }
    }
    TerminationSignals signals([stop](int) { stop(); });
    std::cout << "springboard: ready" << std::endl;
    NSRunLoop::mainRunLoop().run();

    // Records still being written finish first, and their senders get the answers the writes queued; only
    // then do the servers stop (answering what is left with an error).
    JobThreadTracker::waitForAll();
    while (NSRunLoop::mainRunLoop().runOnce()) {
    }
    notifications.reset();
    control.stop();
    return 0;
}

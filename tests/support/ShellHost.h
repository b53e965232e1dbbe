#pragma once

#include "JsonValue.h"
#include "TemporaryDeviceRoot.h"
#include "ToolRun.h"

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ChildProcess;
class PrivateBus;

// The shell as integration tests drive it, end to end: a fresh device root installed by vantle-device (the
// build's artwork and tweak library), a private session bus, and the springboard host running on both.
// The constructor starts it and waits until the host says it is ready; commands then go through sbctl,
// exactly as a user's would; the destructor stops the host with SIGTERM. The test process's own DeviceRoot
// is the device's for the object's lifetime, so a test reads the device's files with NSFileManager.
//
//     ShellHost shell;
//     ASSERT_TRUE(shell.isRunning()) << shell.failure();
//     shell.command({"sms", "--sender", "Ada", "--text", "Dinner at 8?"});
//     shell.waitUntilIdle();
//     EXPECT_EQ(shell.state().alerts.size(), 1u);
//     shell.screenshot("after-sms.png");   // open it to look
class ShellHost {
public:
    struct Options {
        int scale = 1;
        // Runs after the install, before the host starts: put preferences, logs or applications on the device.
        std::function<void(const TemporaryDeviceRoot&)> prepareDevice;
        // Users besides ours who may connect to the bus (to check that the shell refuses them).
        std::vector<std::string> otherBusUsers;
        // More arguments for the host ("--desktop-notifications", "--window").
        std::vector<std::string> hostArguments;
        // Runs once the bus is up, before the host starts, with the bus's address.
        std::function<void(const std::string& busAddress)> prepareBus;
        // Variables for the host's environment ("DISPLAY").
        std::vector<std::pair<std::string, std::string>> environment;
    };

    // The shell's state as `sbctl state` prints it.
    struct State {
        struct Alert {
            std::string title;
            std::string message;
        };
        struct Window {
            double level = 0;
            std::string name;
        };
        bool locked = false;
        std::optional<std::string> foreground;
        int orientation = 0;
        std::vector<std::string> statusBarImages;
        std::vector<Alert> alerts;
        std::vector<std::string> sounds;
        std::vector<Window> windows;
        int batteryLevel = 0;
        bool switcherShown = false;

        // Whether a visible window has this name ("status bar", "lock screen", ...).
        bool hasWindow(const std::string& name) const;
        static std::optional<State> fromJson(const JsonValue& json);
    };

    ShellHost();
    explicit ShellHost(Options options);
    ~ShellHost();
    ShellHost(const ShellHost&) = delete;
    ShellHost& operator=(const ShellHost&) = delete;

    bool isRunning() const { return host_ != nullptr; }
    // The host's process id (its /proc entry tells its memory); 0 when it is not running.
    pid_t pid() const;
    // Why the shell did not start (with what it printed), or why it stopped; empty while all is well.
    const std::string& failure() const { return failure_; }
    const TemporaryDeviceRoot& device() const { return device_; }
    // The private bus's address, for other processes a test starts beside the shell.
    const std::string& busAddress() const;
    // The host's standard error so far: the libraries it loaded, what the platform logged.
    std::string hostLog() const;

    // Runs sbctl with the arguments (one word each) to its end, on this shell's bus.
    ToolRun sbctl(const std::vector<std::string>& arguments) const;
    // As sbctl, adding a test failure (with what sbctl said) unless it exits 0; answers its output.
    std::string command(const std::vector<std::string>& arguments) const;
    // `sbctl state`, read; a test failure and an empty state when it fails.
    State state() const;
    // `sbctl idle`: returns once the shell is idle (a test failure when it does not get there).
    void waitUntilIdle() const;
    // Writes the screen to a PNG in the test's output folder (or at an absolute path); answers the path.
    std::filesystem::path screenshot(const std::string& name) const;

    // Stops the host with SIGTERM; answers its exit status (-1 when it did not exit normally or in time).
    // The destructor does it too, and adds a test failure unless the host exits 0.
    int stop();
    // Kills the host with SIGKILL, as a crash would, and reaps it; the destructor then has nothing to stop.
    void kill();
    // Waits for the host to stop by itself (its window closed); answers as stop() does.
    int waitForExit();

    // The built programs, for tests that run them by hand.
    static std::string hostProgram();
    static std::string sbctlProgram();

private:
    void start(const Options& options);

    TemporaryDeviceRoot device_;
    std::unique_ptr<PrivateBus> bus_;
    std::unique_ptr<ChildProcess> host_;
    std::filesystem::path logPath_;
    std::string failure_;
};

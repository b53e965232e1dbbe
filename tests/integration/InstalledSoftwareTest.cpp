// The software as a user installs it: `cmake --install` into a temporary prefix, then a session bus whose
// only service folder is the prefix's. notify-send's call starts the installed Vantle on demand (the
// launcher installs the default device first), and the notification lands in that device's log.
#include "PrivateBus.h"
#include "TestDeadline.h"
#include "ToolRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using testing::HasSubstr;

namespace fs = std::filesystem;

namespace {

const char* const kPrograms[] = {"springboard", "preferences", "sbctl", "settingsctl", "vantle-device",
                                 "vantle-log", "vantle-post", "vantlectl", "toolkit-sample"};

class TemporaryPrefix {
public:
    TemporaryPrefix()
    {
        char pattern[] = "/tmp/vantle-prefix-XXXXXX";
        path_ = mkdtemp(pattern) ? fs::path(pattern) : fs::path();
    }
    ~TemporaryPrefix()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string fileText(const fs::path& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ToolRun onBus(const PrivateBus& bus, const std::string& command)
{
    return ToolRun::of("/usr/bin/env", ToolRun::quoted("DBUS_SESSION_BUS_ADDRESS=" + bus.address()) + " " + command);
}

// The process that owns a name on the bus; 0 when none does.
pid_t ownerOf(const PrivateBus& bus, const std::string& name)
{
    const ToolRun run = onBus(bus, "gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus "
                                   "--method org.freedesktop.DBus.GetConnectionUnixProcessID " + name);
    const auto number = run.out.find("uint32 "); // "(uint32 1234,)"
    return run.status == 0 && number != std::string::npos ? static_cast<pid_t>(std::atol(run.out.c_str() + number + 7)) : 0;
}

// A process the bus started (not this one's child), stopped with SIGTERM when the test ends, however it ends.
class StartedByTheBus {
public:
    explicit StartedByTheBus(pid_t pid) : pid_(pid) {}
    ~StartedByTheBus() { EXPECT_TRUE(stop()) << "the shell the bus started did not stop"; }
    StartedByTheBus(const StartedByTheBus&) = delete;
    StartedByTheBus& operator=(const StartedByTheBus&) = delete;

private:
    bool stop() const
    {
        const int handle = pid_ > 0 ? static_cast<int>(syscall(SYS_pidfd_open, pid_, 0)) : -1;
        if (handle < 0 || kill(pid_, SIGTERM) != 0) {
            return false;
        }
        pollfd ended{handle, POLLIN, 0};
        const bool gone = poll(&ended, 1, static_cast<int>(kTestDeadline.count() * 1000)) == 1;
        close(handle);
        return gone;
    }

    const pid_t pid_;
};

} // namespace

TEST(InstalledSoftware, NotifySendStartsTheInstalledShellOnDemandAndItsNotificationIsLogged)
{
    TemporaryPrefix prefix;
    ASSERT_FALSE(prefix.path().empty());
    const ToolRun installed = ToolRun::of(CMAKE_COMMAND, "--install " + ToolRun::quoted(VANTLE_BINARY_DIR) + " --prefix " +
                                                             ToolRun::quoted(prefix.path().string()));
    ASSERT_EQ(installed.status, 0) << installed.all();
    for (const char* program : kPrograms) {
        EXPECT_TRUE(fs::exists(prefix.path() / "bin" / program)) << program;
        if (VANTLE_MAN_PAGES_BUILT) {
            EXPECT_TRUE(fs::exists(prefix.path() / "share/man/man1" / (std::string(program) + ".1.gz"))) << program;
        }
    }
    const fs::path launcher = prefix.path() / "lib/vantle/vantle-desktop-notifications";
    EXPECT_THAT(fileText(prefix.path() / "share/dbus-1/services/org.vantle.Notifications.service"),
                HasSubstr("Exec=" + launcher.string() + "\n"));
    EXPECT_THAT(fileText(prefix.path() / "lib/systemd/user/vantle.service"), HasSubstr("ExecStart=" + launcher.string() + "\n"));

    PrivateBus bus({}, (prefix.path() / "share/dbus-1/services").string());
    ASSERT_TRUE(bus.isRunning()) << bus.failure();
    // The started shell's default device is $XDG_DATA_HOME/vantle/device, here inside the prefix.
    const fs::path dataHome = prefix.path() / "data";
    ASSERT_EQ(onBus(bus, "gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus --method "
                         "org.freedesktop.DBus.UpdateActivationEnvironment \"{'XDG_DATA_HOME': '" + dataHome.string() + "'}\"")
                  .status,
              0);

    const ToolRun sent = onBus(bus, "notify-send 'Installed' 'Started on demand'");
    ASSERT_EQ(sent.status, 0) << sent.all();
    const StartedByTheBus shell(ownerOf(bus, "org.freedesktop.Notifications"));
    const fs::path bin = prefix.path() / "bin";
    const ToolRun idle = onBus(bus, ToolRun::quoted((bin / "sbctl").string()) + " idle");
    EXPECT_EQ(idle.status, 0) << idle.all();
    const ToolRun log = ToolRun::of((bin / "vantlectl").string(),
                                    "--root " + ToolRun::quoted((dataHome / "vantle/device").string()) + " list --json");
    EXPECT_EQ(log.status, 0) << log.all();
    EXPECT_THAT(log.out, HasSubstr("Installed - Started on demand"));
}

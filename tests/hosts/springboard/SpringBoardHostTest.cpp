// The shell host driven by sbctl on a private bus: start-up checks, what the commands do to its state,
// screenshots, and a clean stop.
#include "ChildProcess.h"
#include "ShellHost.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>

using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

// The pixel size a PNG file says it has (its IHDR chunk), or 0 x 0 when it is not a PNG.
std::pair<std::uint32_t, std::uint32_t> pngSize(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    unsigned char header[24] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!in || !std::equal(signature, signature + 8, header)) {
        return {0, 0};
    }
    auto bigEndian = [&](int at) {
        return std::uint32_t(header[at]) << 24 | std::uint32_t(header[at + 1]) << 16 | std::uint32_t(header[at + 2]) << 8 |
               std::uint32_t(header[at + 3]);
    };
    return {bigEndian(16), bigEndian(20)};
}

} // namespace

TEST(SpringBoardHost, RefusesBadArgumentsAndADeviceThatWasNeverInstalled)
{
    EXPECT_EQ(ToolRun::of(ShellHost::hostProgram(), "--scale 3").status, 2);
    EXPECT_EQ(ToolRun::of(ShellHost::hostProgram(), "--frobnicate").status, 2);
    const ToolRun help = ToolRun::of(ShellHost::hostProgram(), "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, HasSubstr("--window"));
    EXPECT_THAT(help.out, HasSubstr("H, Escape, Home      the home button")) << "the window's keys";

    TemporaryDeviceRoot empty;
    const auto missing = empty.path() / "nothing-here";
    const ToolRun noDevice = ToolRun::of(ShellHost::hostProgram(), "--root " + ToolRun::quoted(missing.string()));
    EXPECT_EQ(noDevice.status, 1);
    EXPECT_THAT(noDevice.err, HasSubstr(missing.string()));
    EXPECT_THAT(noDevice.err, HasSubstr("vantle-device install"));
    const ToolRun notInstalled = ToolRun::of(ShellHost::hostProgram(), "--root " + ToolRun::quoted(empty.path().string()));
    EXPECT_EQ(notInstalled.status, 1);
    EXPECT_THAT(notInstalled.err, HasSubstr(empty.path().string() + " is not an installed device"));
}

TEST(SpringBoardHost, StartsLockedAndFollowsUnlockLaunchAndHome)
{
    ShellHost shell;
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    EXPECT_THAT(shell.hostLog(), HasSubstr("springboard: loaded Vantle"));

    auto state = shell.state();
    EXPECT_TRUE(state.locked);
    EXPECT_EQ(state.foreground, std::nullopt);
    EXPECT_EQ(state.orientation, 1);
    EXPECT_TRUE(state.hasWindow("status bar"));

    shell.command({"unlock"});
    EXPECT_FALSE(shell.state().locked);
    shell.command({"launch", "com.apple.MobileSMS"});
    EXPECT_EQ(shell.state().foreground, "com.apple.MobileSMS");
    shell.command({"home"});
    EXPECT_EQ(shell.state().foreground, std::nullopt);
    shell.command({"rotate", "landscape-left"});
    EXPECT_EQ(shell.state().orientation, 4);
    shell.command({"battery", "--level", "42"});
    EXPECT_EQ(shell.state().batteryLevel, 42);

    const ToolRun unknown = shell.sbctl({"launch", "com.example.nothing"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_THAT(unknown.err, HasSubstr("sbctl: the shell refused: "));
    EXPECT_THAT(unknown.err, HasSubstr("com.example.nothing"));
    shell.waitUntilIdle();
}

TEST(SpringBoardHost, ATextMessagePopsUpAndATapOnItsButtonDismissesIt)
{
    ShellHost shell;
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    shell.command({"unlock"});
    shell.command({"sms", "--sender", "Ada \"the first\"", "--text", "Dinner at 8?\nBring \\ wine"});
    shell.waitUntilIdle();
    const auto state = shell.state();
    ASSERT_EQ(state.alerts.size(), 1u);
    EXPECT_THAT(state.alerts[0].title, HasSubstr("Ada \"the first\""));
    EXPECT_THAT(state.alerts[0].message, HasSubstr("Dinner at 8?\nBring \\ wine"));
    shell.screenshot("sms-alert.png");

    shell.command({"tap", "160", "277"}); // the pop-up's Close button
    shell.waitUntilIdle();
    EXPECT_THAT(shell.state().alerts, IsEmpty());
}

TEST(SpringBoardHost, ScreenshotsAreThe320By480ScreenAtItsScale)
{
    for (const int scale : {1, 2}) {
        ShellHost::Options options;
        options.scale = scale;
        ShellHost shell(options);
        ASSERT_TRUE(shell.isRunning()) << shell.failure();
        const auto path = shell.device().path() / "shot.png";
        shell.screenshot(path.string());
        EXPECT_EQ(pngSize(path), std::make_pair(320u * scale, 480u * scale)) << "scale " << scale;

        // A relative path names a file in sbctl's folder, not the host's.
        const auto folder = std::filesystem::current_path();
        std::filesystem::current_path(shell.device().path());
        const ToolRun relative = shell.sbctl({"screenshot", "relative.png"});
        std::filesystem::current_path(folder);
        EXPECT_EQ(relative.status, 0) << relative.err;
        EXPECT_EQ(pngSize(shell.device().path() / "relative.png"), pngSize(path));

        const ToolRun nowhere = shell.sbctl({"screenshot", "/nonexistent/folder/shot.png"});
        EXPECT_EQ(nowhere.status, 1);
        EXPECT_THAT(nowhere.err, HasSubstr("/nonexistent/folder/shot.png"));
    }
}

TEST(SpringBoardHost, StopsOnSigtermAndReleasesTheName)
{
    ShellHost shell;
    ASSERT_TRUE(shell.isRunning()) << shell.failure();

    // A second shell on the same bus cannot take the name.
    const ToolRun second = ToolRun::of("/usr/bin/env", ToolRun::quoted("DBUS_SESSION_BUS_ADDRESS=" + shell.busAddress()) +
                                                           " " + ToolRun::quoted(ShellHost::hostProgram()) + " --root " +
                                                           ToolRun::quoted(shell.device().path().string()));
    EXPECT_EQ(second.status, 1);
    EXPECT_THAT(second.err, HasSubstr("another shell already owns org.vantle.Device.SpringBoard"));

    EXPECT_EQ(shell.stop(), 0) << shell.failure();
    const ToolRun after = shell.sbctl({"lock"});
    EXPECT_EQ(after.status, 1);
    EXPECT_THAT(after.err, HasSubstr("no shell is running"));
}

TEST(SpringBoardHost, RefusesCallersOfAnotherUser)
{
    const char* stranger = "nobody";
    if (geteuid() != 0 || !getpwnam(stranger)) {
        GTEST_SKIP() << "needs root and a user '" << stranger << "' to run sbctl as another user";
    }
    ShellHost::Options options;
    options.otherBusUsers = {stranger};
    ShellHost shell(options);
    ASSERT_TRUE(shell.isRunning()) << shell.failure();

    ChildProcess::Options child;
    child.environment = {{"DBUS_SESSION_BUS_ADDRESS", shell.busAddress()}};
    child.user = stranger;
    child.mergeStandardError = true;
    std::string failure;
    const auto sbctl = ChildProcess::start({ShellHost::sbctlProgram(), "unlock"}, child, failure);
    ASSERT_TRUE(sbctl) << failure;
    EXPECT_EQ(sbctl->nextLine(), "sbctl: the shell refused: the caller runs as another user");
    EXPECT_EQ(sbctl->waitForExit(), 1);
    EXPECT_TRUE(shell.state().locked);
}

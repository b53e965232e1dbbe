// sbctl on its own: what it refuses before asking anyone, and what it says when no shell answers.
#include "PrivateBus.h"
#include "ToolRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using ::testing::HasSubstr;

namespace {

ToolRun sbctl(const std::string& busAddress, const std::string& arguments)
{
    return ToolRun::of("/usr/bin/env", ToolRun::quoted("DBUS_SESSION_BUS_ADDRESS=" + busAddress) + " " +
                                           ToolRun::quoted(VANTLE_SBCTL_TOOL) + " " + arguments);
}

} // namespace

TEST(SbctlTool, BadArgumentsExit2WithoutAskingTheShell)
{
    // No bus at this address: a command that got as far as calling would exit 1.
    const std::string nowhere = "unix:path=/nonexistent/bus";
    for (const char* arguments : {"", "frobnicate", "sms --sender Ada", "battery --level 101", "tap 321 10",
                                  "tap 10 -1", "drag 0 0 10 10 --steps 0", "rotate sideways", "rotate 5",
                                  "missed-call --caller Bob --date 'next tuesday'", "launch", "idle --timeout 0"}) {
        const ToolRun run = sbctl(nowhere, arguments);
        EXPECT_EQ(run.status, 2) << arguments << ": " << run.all();
        EXPECT_FALSE(run.err.empty()) << arguments;
    }
    const ToolRun help = sbctl(nowhere, "drag --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, HasSubstr("--steps"));
}

TEST(SbctlTool, NoShellOnTheBusExits1WithTheReason)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.isRunning()) << bus.failure();
    for (const char* arguments : {"lock", "state", "idle", "rotate landscape-left"}) {
        const ToolRun run = sbctl(bus.address(), arguments);
        EXPECT_EQ(run.status, 1) << arguments;
        EXPECT_EQ(run.err, "sbctl: no shell is running on this session bus (nobody owns org.vantle.Device.SpringBoard); "
                           "start one with `springboard`\n")
            << arguments;
    }
    const ToolRun noBus = sbctl("unix:path=/nonexistent/bus", "lock");
    EXPECT_EQ(noBus.status, 1);
    EXPECT_THAT(noBus.err, HasSubstr("sbctl: cannot reach the session bus"));
}

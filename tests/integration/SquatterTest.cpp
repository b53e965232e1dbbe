// Another process that holds one of the shell's bus names before the shell starts: the shell says so and does
// not start, instead of running while the squatter takes what is meant for it.
#include "ChildProcess.h"
#include "PLWriter.h"
#include "ShellHost.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

using testing::HasSubstr;

namespace {

TEST(Squatter, TheShellExitsNamingTheNameAnotherProcessHolds)
{
    for (const std::string name : {PLWriter::kMessagingCenterName, "org.vantle.Device.SpringBoard"}) {
        SCOPED_TRACE(name);
        std::unique_ptr<ChildProcess> squatter;
        ShellHost::Options options;
        options.prepareBus = [&](const std::string& busAddress) {
            ChildProcess::Options child;
            child.environment = {{"DBUS_SESSION_BUS_ADDRESS", busAddress}};
            std::string failure;
            squatter = ChildProcess::start({VANTLE_IPC_PEER, "serve", name, "Anything"}, child, failure);
            ASSERT_NE(squatter, nullptr) << failure;
            ASSERT_EQ(squatter->nextLine(), "ready");
        };
        const ShellHost shell(options);
        EXPECT_FALSE(shell.isRunning());
        EXPECT_THAT(shell.failure(), HasSubstr("exit status 1"));
        EXPECT_THAT(shell.failure(), HasSubstr("owns " + name));
    }
}

} // namespace

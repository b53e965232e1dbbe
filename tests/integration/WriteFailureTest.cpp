// A record the shell cannot write, end to end: the log folder on a full disk (a small tmpfs of the test's own
// when it may mount one, else the folder taken away). A client that waits for its record, a desktop client's
// Notify or vantle-post, is told why at once, the shell says it on stderr, and the record never turns up
// in the log once the disk has room again.
#include "NSArray.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "PLWriter.h"
#include "ShellHost.h"

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The log folder unable to take a record while it lives: on a full tmpfs mounted over it, or, where the test
// may not mount, removed. `error` is what the shell then meets.
class UnwritableLogFolder {
public:
    explicit UnwritableLogFolder(std::filesystem::path folder) : folder_(std::move(folder))
    {
        if (::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=64k") == 0) {
            mounted_ = true;
            error = ENOSPC;
            fill();
        } else {
            std::filesystem::remove_all(folder_);
            error = ENOENT;
        }
    }
    ~UnwritableLogFolder()
    {
        if (mounted_) {
            (void)::umount2(folder_.c_str(), MNT_DETACH); // nothing else to do when it fails
        } else {
            std::filesystem::create_directories(folder_);
        }
    }
    UnwritableLogFolder(const UnwritableLogFolder&) = delete;
    UnwritableLogFolder& operator=(const UnwritableLogFolder&) = delete;

    int error = 0;

private:
    void fill() const
    {
        std::ofstream filler(folder_ / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) && filler.flush()) {
        }
    }

    std::filesystem::path folder_;
    bool mounted_ = false;
};

ToolRun onBus(const ShellHost& shell, const std::string& command)
{
    return ToolRun::of("/usr/bin/env", ToolRun::quoted("DBUS_SESSION_BUS_ADDRESS=" + shell.busAddress()) + " " + command);
}

std::string notifyCall(const std::string& summary)
{
    return "gdbus call --session --dest org.freedesktop.Notifications --object-path /org/freedesktop/Notifications "
           "--method org.freedesktop.Notifications.Notify client 0 '\"\"' " +
           ToolRun::quoted(summary) + " '\"\"' '[]' '{}' 0";
}

std::vector<std::string> loggedBodies()
{
    std::vector<std::string> bodies;
    const auto list = NSFileManager::defaultManager().readPropertyListAtPath(PLWriter::kNewNotificationsPath).valueAs<NSArray>();
    for (const auto& element : list ? list->objects() : std::vector<id>{}) {
        bodies.push_back(as<NSDictionary>(element)->stringForKey("Body").value_or("-"));
    }
    return bodies;
}

TEST(WriteFailure, AClientWhoseRecordCannotBeWrittenIsToldWhyAtOnceAndTheRecordIsNeverWrittenLater)
{
    ShellHost::Options options;
    options.hostArguments = {"--desktop-notifications"};
    ShellHost shell(options);
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    const struct {
        const char* client;
        std::string command;
    } clients[] = {
        {"Notify", notifyCall("lost")},
        {"vantle-post", ToolRun::quoted(VANTLE_POST_TOOL) + " --app Post --body lost"},
    };
    std::string reason;
    {
        const UnwritableLogFolder unwritable(shell.device().hostPath(PLWriter::kLogFolder));
        reason = std::strerror(unwritable.error);
        for (const auto& [client, command] : clients) {
            SCOPED_TRACE(client);
            const ToolRun run = onBus(shell, command);
            EXPECT_NE(run.status, 0);
            EXPECT_NE(run.err.find(reason), std::string::npos) << run.all();
            EXPECT_NE(run.err.find("NewNotifications.plist"), std::string::npos) << run.all();
        }
    }
    EXPECT_NE(shell.hostLog().find("springboard["), std::string::npos) << shell.hostLog();
    EXPECT_NE(shell.hostLog().find(reason), std::string::npos) << "the shell's stderr shows the failure";

    EXPECT_EQ(onBus(shell, notifyCall("kept")).status, 0);
    shell.waitUntilIdle();
    EXPECT_EQ(loggedBodies(), std::vector<std::string>{"kept"});
}

} // namespace

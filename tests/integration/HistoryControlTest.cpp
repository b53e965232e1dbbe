// vantlectl end to end: each command on a device without a shell, then beside a running shell, which
// picks up the pause and keeps what the tool cleared or deleted away while it goes on logging.
#include "../tweak/LogTestSupport.h"
#include "NSNumber.h"
#include "ShellHost.h"
#include "TemporaryDeviceRoot.h"
#include "ToolRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using namespace logtest;

namespace {

void writeHistory()
{
    writeLog(PLWriter::kNewNotificationsPath,
             {makeRecord("Chat", "n1", "com.example.chat"), makeRecord("Mail", "n2", "com.example.mail")});
    writeLog(PLWriter::kOldNotificationsPath, {makeRecord("Chat", "o1", "com.example.chat")});
}

ToolRun vantlectl(const std::filesystem::path& root, const std::string& arguments, const std::string& busAddress = {})
{
    const std::string bus = busAddress.empty() ? "-u DBUS_SESSION_BUS_ADDRESS" : ToolRun::quoted("DBUS_SESSION_BUS_ADDRESS=" + busAddress);
    return ToolRun::of("/usr/bin/env", bus + " " + ToolRun::quoted(VANTLECTL_TOOL) + " --root " +
                                           ToolRun::quoted(root.string()) + " " + arguments);
}

std::optional<bool> preference(const char* key)
{
    const auto preferences =
        NSFileManager::defaultManager().readPropertyListAtPath(PLWriter::kPreferencesPath).valueAs<NSDictionary>();
    const auto value = preferences ? preferences->objectForKey<NSNumber>(key) : nullptr;
    return value ? std::optional<bool>(value->boolValue()) : std::nullopt;
}

} // namespace

TEST(HistoryControl, EachCommandWorksOnADeviceWithoutAShell)
{
    const struct {
        const char* arguments;
        const char* printed;
        const char* countAfter;
    } cases[] = {
        {"list", "n1", R"({"new": 2, "old": 1})"},
        {"list --json", R"("Body": "o1")", R"({"new": 2, "old": 1})"},
        {"count", "3 (2 new, 1 old)\n", R"({"new": 2, "old": 1})"},
        {"delete com.example.chat", "Deleted 2 record(s) of com.example.chat\n", R"({"new": 1, "old": 0})"},
        {"delete com.example.none", "Deleted 0 record(s) of com.example.none\n", R"({"new": 2, "old": 1})"},
        {"clear", "", R"({"new": 0, "old": 0})"},
        {"pause", "", R"({"new": 2, "old": 1})"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        TemporaryDeviceRoot root;
        root.createDirectory(PLWriter::kLogFolder);
        writeHistory();
        const ToolRun run = vantlectl(root.path(), c.arguments);
        EXPECT_EQ(run.status, 0) << run.all();
        EXPECT_THAT(run.out, HasSubstr(c.printed));
        EXPECT_EQ(vantlectl(root.path(), "count --json").out, std::string(c.countAfter) + "\n");
    }
}

TEST(HistoryControl, PauseAndResumeWriteBothBlockKeysKeepingTheOthers)
{
    TemporaryDeviceRoot root;
    root.createDirectory("/var/mobile/Library/Preferences");
    writePreferences({{"Items To Keep", NSNumber::numberWithInteger(7)}});
    for (const auto& [command, held] : {std::pair{"pause", true}, std::pair{"resume", false}}) {
        SCOPED_TRACE(command);
        ASSERT_EQ(vantlectl(root.path(), command).status, 0);
        EXPECT_EQ(preference("Block Homescreen Alerts"), held);
        EXPECT_EQ(preference("Block Lockscreen Alerts"), held);
        const auto kept = NSFileManager::defaultManager().readPropertyListAtPath(PLWriter::kPreferencesPath).valueAs<NSDictionary>();
        ASSERT_TRUE(kept);
        EXPECT_EQ(kept->objectForKey<NSNumber>("Items To Keep")->integerValue(), 7);
    }
}

TEST(HistoryControl, ARunningShellHoldsPopUpsBackOnPauseAndKeepsWhatTheToolRemoved)
{
    ShellHost shell;
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    const auto& root = shell.device().path();
    const auto push = [&](const char* app, const char* body) {
        shell.command({"push", "--app", app, "--body", body});
        shell.waitUntilIdle();
    };
    shell.command({"unlock"});

    ASSERT_EQ(vantlectl(root, "pause", shell.busAddress()).status, 0);
    push("com.apple.mobilecal", "held back");
    EXPECT_THAT(shell.state().alerts, IsEmpty());
    ASSERT_EQ(vantlectl(root, "resume", shell.busAddress()).status, 0);
    push("com.apple.MobileSMS", "shown");
    EXPECT_EQ(shell.state().alerts.size(), 1u);
    EXPECT_THAT(bodies(readLog(PLWriter::kNewNotificationsPath)), ElementsAre("shown", "held back"))
        << "held back or not, every record is logged";

    ASSERT_EQ(vantlectl(root, "clear").status, 0);
    push("com.apple.MobileSMS", "after clear");
    EXPECT_THAT(bodies(readLog(PLWriter::kNewNotificationsPath)), ElementsAre("after clear"));

    push("com.apple.mobilecal", "meeting");
    ASSERT_EQ(vantlectl(root, "delete com.apple.MobileSMS").status, 0);
    push("com.apple.mobilecal", "lunch");
    EXPECT_THAT(bodies(readLog(PLWriter::kNewNotificationsPath)), ElementsAre("lunch", "meeting"));
}

// An open panel writes back what it showed when it closes, so the tool closes it before changing the log:
// what the tool removed stays removed, through that close and the next opening.
TEST(HistoryControl, AnOpenPanelIsClosedFirstSoItsCloseBringsNothingBack)
{
    ShellHost shell;
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    const auto& root = shell.device().path();
    const auto openAndClosePanel = [&] {
        shell.command({"drag", "160", "5", "160", "300"});
        shell.waitUntilIdle();
        shell.command({"home"});
        shell.waitUntilIdle();
    };
    for (const char* command : {"clear", "delete com.apple.MobileSMS"}) {
        SCOPED_TRACE(command);
        shell.command({"push", "--app", "com.apple.MobileSMS", "--body", "read"});
        openAndClosePanel(); // "read" is now in the old file
        shell.command({"push", "--app", "com.apple.MobileSMS", "--body", "new"});
        shell.command({"drag", "160", "5", "160", "300"});
        shell.waitUntilIdle();

        ASSERT_EQ(vantlectl(root, command, shell.busAddress()).status, 0);
        EXPECT_FALSE(shell.state().hasWindow("VTWindowController"));
        openAndClosePanel();
        EXPECT_THAT(bodies(readLog(PLWriter::kNewNotificationsPath)), IsEmpty());
        EXPECT_THAT(bodies(readLog(PLWriter::kOldNotificationsPath)), IsEmpty());
    }
}

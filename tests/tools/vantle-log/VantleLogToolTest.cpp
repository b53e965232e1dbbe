// The vantle-log program as a user runs it: what it prints, its exit status, and that it changes nothing.
#include "JsonValidator.h"
#include "LogFixtures.h"
#include "NSNumber.h"
#include "TemporaryDeviceRoot.h"
#include "ToolRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <sys/stat.h>

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

namespace {

std::string quoted(const std::string& text)
{
    return ToolRun::quoted(text);
}

ToolRun runTool(const std::string& arguments)
{
    return ToolRun::of(VANTLE_LOG_TOOL, arguments);
}

std::string rootArgument(const TemporaryDeviceRoot& root)
{
    return "--root " + quoted(root.path().string());
}

// Every file under a folder with its bytes, to show that a run changed nothing.
std::map<std::string, std::string> snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        files[entry.path().string()] = entry.is_regular_file() ? LogFixtures::readBytes(entry.path()) : "<folder>";
    }
    return files;
}

} // namespace

TEST(VantleLogTool, PrintsTheNewThenTheOldRecordsAsTablesOrJson)
{
    TemporaryDeviceRoot root;
    LogFixtures::writeList(root, LogFixtures::kNew,
                           {LogFixtures::record("Messages", "See you\nat 8", "2026-12-07T20:33:35Z", "com.apple.MobileSMS"),
                            LogFixtures::record("Battery", "20% of battery remaining", "2026-12-07T20:00:00Z")});
    LogFixtures::writeList(root, LogFixtures::kOld,
                           {LogFixtures::record("Calendar", "Dentist", "2026-12-06T09:00:00Z", "com.apple.mobilecal")});
    const auto before = snapshot(root.path());

    const ToolRun table = runTool(rootArgument(root));
    EXPECT_EQ(table.status, 0) << table.err;
    EXPECT_THAT(table.err, IsEmpty());
    EXPECT_EQ(table.out,
              "New notifications (2)\n"
              "Date                  Application  Bundle Identifier    Body\n"
              "2026-12-07T20:33:35Z  Messages     com.apple.MobileSMS  See you\\nat 8\n"
              "2026-12-07T20:00:00Z  Battery                           20% of battery remaining\n"
              "\n"
              "Old notifications (1)\n"
              "Date                  Application  Bundle Identifier    Body\n"
              "2026-12-06T09:00:00Z  Calendar     com.apple.mobilecal  Dentist\n");

    const ToolRun json = runTool(rootArgument(root) + " --json");
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(JsonValidator::problem(json.out), "") << json.out;
    EXPECT_THAT(json.out, HasSubstr("\"new\": [\n    {\"Application\": \"Messages\", \"Body\": \"See you\\nat 8\""));
    EXPECT_THAT(json.out, HasSubstr("\"old\": [\n    {\"Application\": \"Calendar\""));
    EXPECT_LT(json.out.find("Battery"), json.out.find("Calendar"));

    EXPECT_EQ(snapshot(root.path()), before) << "the tool changed the device";

    // A root without any log shows two empty logs.
    TemporaryDeviceRoot bare;
    const ToolRun empty = runTool(rootArgument(bare));
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "New notifications (0)\n\nOld notifications (0)\n");
    EXPECT_EQ(runTool(rootArgument(bare) + " --json").out, "{\n  \"new\": [],\n  \"old\": []\n}\n");
}

TEST(VantleLogTool, NamesAFileThatDoesNotReadFailsAndStillPrintsTheOther)
{
    TemporaryDeviceRoot root;
    LogFixtures::writeBytes(root, LogFixtures::kNew, "not a property list");
    LogFixtures::writeList(root, LogFixtures::kOld,
                           {LogFixtures::record("Phone", "Missed call", "2026-12-07T18:00:00Z", "com.apple.mobilephone")});
    const auto before = snapshot(root.path());
    const std::string newHost = root.hostPath(LogFixtures::kNew).string();

    const ToolRun table = runTool(rootArgument(root));
    EXPECT_EQ(table.status, 1);
    EXPECT_THAT(table.err, HasSubstr("vantle-log: " + newHost + ": unreadable: "));
    EXPECT_THAT(table.out, HasSubstr("New notifications (unreadable: "));
    EXPECT_THAT(table.out, HasSubstr("Old notifications (1)\n"));
    EXPECT_THAT(table.out, HasSubstr("com.apple.mobilephone  Missed call\n"));

    const ToolRun json = runTool(rootArgument(root) + " --json");
    EXPECT_EQ(json.status, 1);
    EXPECT_EQ(JsonValidator::problem(json.out), "") << json.out;
    EXPECT_THAT(json.out, HasSubstr("\"new\": null,"));
    EXPECT_THAT(json.out, HasSubstr("Missed call"));
    EXPECT_EQ(snapshot(root.path()), before) << "the unreadable file was touched";

    // A list of the wrong shape, and something that is not a file at all (reading a FIFO would block).
    LogFixtures::writeList(root, LogFixtures::kNew, {LogFixtures::record("Clock", "Alarm", "2026-12-07T07:00:00Z")});
    fs::remove(root.hostPath(LogFixtures::kOld));
    ASSERT_EQ(mkfifo(root.hostPath(LogFixtures::kOld).c_str(), 0600), 0);
    const ToolRun fifo = runTool(rootArgument(root));
    EXPECT_EQ(fifo.status, 1);
    EXPECT_THAT(fifo.err, HasSubstr(root.hostPath(LogFixtures::kOld).string() + ": unreadable: not a regular file"));
    EXPECT_THAT(fifo.out, HasSubstr("New notifications (1)\n"));

    fs::remove(root.hostPath(LogFixtures::kOld));
    LogFixtures::writeBytes(root, LogFixtures::kOld,
                            "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>A</key><integer>1</integer></dict></plist>");
    const ToolRun dictionary = runTool(rootArgument(root));
    EXPECT_EQ(dictionary.status, 1);
    EXPECT_THAT(dictionary.err, HasSubstr("unreadable: not a list (its top level is a dictionary)"));
}

TEST(VantleLogTool, RefusesARootThatIsNotADirectoryAndExplainsItself)
{
    TemporaryDeviceRoot root;
    const ToolRun absent = runTool("--root " + quoted((root.path() / "nowhere").string()));
    EXPECT_EQ(absent.status, 2);
    EXPECT_THAT(absent.err, HasSubstr("nowhere: no such directory"));
    EXPECT_THAT(absent.out, IsEmpty());

    LogFixtures::writeBytes(root, LogFixtures::kNew, "x");
    const ToolRun file = runTool("--root " + quoted(root.hostPath(LogFixtures::kNew).string()));
    EXPECT_EQ(file.status, 2);
    EXPECT_THAT(file.err, HasSubstr("NewNotifications.plist: not a directory"));

    const ToolRun help = runTool("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, HasSubstr("--root"));
    EXPECT_THAT(help.out, HasSubstr("--json"));
    EXPECT_THAT(help.out, HasSubstr("Exit status"));

    const ToolRun unknown = runTool("--colour");
    EXPECT_NE(unknown.status, 0);
    EXPECT_THAT(unknown.err, Not(IsEmpty()));
}

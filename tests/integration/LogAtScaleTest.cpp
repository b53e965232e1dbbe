// The log as other tools leave it, end to end with the real shell: a long history written by Python's
// plistlib, records of any date in either form, preference values of the wrong kind, and elements that are
// not records.
#include "ChildProcess.h"
#include "NSArray.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSNumber.h"
#include "NSString.h"
#include "PLWriter.h"
#include "ShellHost.h"
#include "ToolRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using testing::ElementsAre;

constexpr const char* kMidX = "160";
constexpr const char* kFirstEntryY = "85";
constexpr const char* kBottomCapY = "440";

// Writes `count` records, newest first, with plistlib: record i is "Body i" of Messages when i is even and
// of Calendar when odd, dated i seconds before the last.
constexpr const char* kWriteLogScript = R"(
import datetime, plistlib, sys
path, count = sys.argv[1], int(sys.argv[2])
newest = datetime.datetime(2026, 12, 1, 12, 0, 0)
apps = [("Messages", "com.apple.MobileSMS"), ("Calendar", "com.apple.mobilecal")]
records = [{"Application": apps[i % 2][0], "Body": "Body %d" % i, "Bundle Identifier": apps[i % 2][1],
            "Date": newest - datetime.timedelta(seconds=i)} for i in range(count)]
with open(path, "wb") as out:
    plistlib.dump(records, out, fmt=plistlib.FMT_XML)
)";

// The count of records plistlib reads from the file and the first and last bodies, as "count first last".
constexpr const char* kSummariseLogScript = R"(
import plistlib, sys
with open(sys.argv[1], "rb") as f:
    records = plistlib.load(f)
print(len(records), records[0]["Body"].replace(" ", ""), records[-1]["Body"].replace(" ", ""))
)";

std::string runPython(const char* script, const std::vector<std::string>& arguments)
{
    std::vector<std::string> argv{"/usr/bin/python3", "-c", script};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildProcess::Options options;
    options.mergeStandardError = true;
    std::string failure;
    const auto child = ChildProcess::start(argv, options, failure);
    if (!child) {
        ADD_FAILURE() << failure;
        return {};
    }
    std::string output;
    while (const auto line = child->nextLine()) {
        output += *line;
    }
    EXPECT_EQ(child->waitForExit(), 0) << output;
    return output;
}

void writePreferences(NSDictionary::Entries entries)
{
    ASSERT_FALSE(NSFileManager::defaultManager().writePropertyList(NSDictionary::dictionaryWithEntries(std::move(entries)),
                                                                  PLWriter::kPreferencesPath));
}

std::shared_ptr<NSDictionary> record(const std::string& body)
{
    return NSDictionary::dictionaryWithEntries({{"Application", NSString::stringWithString("Messages")},
                                                {"Body", NSString::stringWithString(body)},
                                                {"Bundle Identifier", NSString::stringWithString("com.apple.MobileSMS")},
                                                {"Date", NSDate::dateWithTimeIntervalSinceReferenceDate(800000000)}});
}

// Bodies of the dictionaries of a log file, "?" for any other element.
std::vector<std::string> elementsOf(const std::string& path)
{
    std::vector<std::string> found;
    const auto list = NSFileManager::defaultManager().readPropertyListAtPath(path).valueAs<NSArray>();
    for (const auto& element : list ? list->objects() : std::vector<id>{}) {
        const auto dictionary = as<NSDictionary>(element);
        found.push_back(dictionary ? dictionary->stringForKey("Body").value_or("-") : "?");
    }
    return found;
}

std::vector<std::string> filesInLogFolder(const ShellHost& shell)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(shell.device().hostPath(PLWriter::kLogFolder))) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void act(const ShellHost& shell, const std::vector<std::string>& command)
{
    shell.command(command);
    shell.waitUntilIdle();
}

void openAndClosePanel(const ShellHost& shell)
{
    act(shell, {"drag", kMidX, "5", kMidX, "300", "--steps", "8"});
    act(shell, {"tap", kMidX, kBottomCapY});
}

TEST(LogAtScale, AHundredThousandRecordsWrittenByPlistlibOpenWithRowsAndAllSurviveTheClose)
{
    constexpr const char* kCount = "100000";
    ShellHost::Options options;
    options.prepareDevice = [&](const TemporaryDeviceRoot& device) {
        writePreferences({{"Items To Keep", NSNumber::numberWithInteger(-1)}});
        runPython(kWriteLogScript, {device.hostPath(PLWriter::kNewNotificationsPath).string(), kCount});
    };
    const ShellHost shell(options);
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    act(shell, {"unlock"});
    act(shell, {"drag", kMidX, "5", kMidX, "300", "--steps", "8"});
    act(shell, {"tap", kMidX, kFirstEntryY});
    EXPECT_EQ(shell.state().foreground, "com.apple.MobileSMS") << "the first row is the newest record's";

    EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(PLWriter::kNewNotificationsPath));
    EXPECT_EQ(runPython(kSummariseLogScript, {shell.device().hostPath(PLWriter::kOldNotificationsPath).string()}),
              "100000 Body0 Body99999");
    EXPECT_THAT(filesInLogFolder(shell), testing::Not(testing::Contains(testing::HasSubstr(".unreadable-"))))
        << "nothing was taken for unreadable and set aside";
}

// Writes one record per date given as "YYYY-MM-DDTHH:MM:SS", its body the date itself, in the form given.
constexpr const char* kWriteDatedLogScript = R"(
import datetime, plistlib, sys
path, form, dates = sys.argv[1], sys.argv[2], sys.argv[3:]
records = [{"Application": "Calendar", "Body": d, "Bundle Identifier": "com.apple.mobilecal",
            "Date": datetime.datetime.strptime(d, "%Y-%m-%dT%H:%M:%S")} for d in dates]
with open(path, "wb") as out:
    plistlib.dump(records, out, fmt=plistlib.FMT_BINARY if form == "binary" else plistlib.FMT_XML)
)";

// Each record of the file as plistlib reads it, "body=date" with the date in the form the bodies are written.
constexpr const char* kListDatesScript = R"(
import plistlib, sys
with open(sys.argv[1], "rb") as f:
    print(" ".join("%s=%s" % (r["Body"], r["Date"].strftime("%Y-%m-%dT%H:%M:%S").rjust(19, "0")) for r in plistlib.load(f)))
)";

TEST(LogAtScale, RecordsOfAnyDateKeepTheirDatesThroughAnAppendAndTheCloseInEitherForm)
{
    const std::vector<std::string> dates = {"9999-12-31T23:59:59", "2100-01-01T00:00:00", "1932-12-13T20:45:52",
                                            "1900-01-01T00:00:00", "0001-01-01T00:00:00"};
    for (const char* form : {"xml", "binary"}) {
        SCOPED_TRACE(form);
        ShellHost::Options options;
        options.prepareDevice = [&](const TemporaryDeviceRoot& device) {
            std::vector<std::string> arguments{device.hostPath(PLWriter::kNewNotificationsPath).string(), form};
            arguments.insert(arguments.end(), dates.begin(), dates.end());
            runPython(kWriteDatedLogScript, arguments);
        };
        const ShellHost shell(options);
        ASSERT_TRUE(shell.isRunning()) << shell.failure();
        const ToolRun posted = ToolRun::of(
            "/usr/bin/env", ToolRun::quoted("DBUS_SESSION_BUS_ADDRESS=" + shell.busAddress()) + " " +
                                ToolRun::quoted(VANTLE_POST_TOOL) +
                                " --app Calendar --bundle com.apple.mobilecal --body 2100-06-01T12:00:00 --date 2100-06-01T12:00:00Z");
        ASSERT_EQ(posted.status, 0) << posted.all();
        openAndClosePanel(shell);

        std::string expected = "2100-06-01T12:00:00=2100-06-01T12:00:00";
        for (const auto& date : dates) {
            expected += " " + date + "=" + date;
        }
        EXPECT_EQ(runPython(kListDatesScript, {shell.device().hostPath(PLWriter::kOldNotificationsPath).string()}),
                  expected);
    }
}

TEST(LogAtScale, ItemsToKeepOfAnUnusableValueCountsAsFiftyWhileZeroAndNegativeKeepTheirMeaning)
{
    struct Case {
        const char* name;
        id value;
        std::size_t kept;
    };
    const std::vector<Case> cases = {
        {"text", NSString::stringWithString("lots"), 4},
        {"2^40", NSNumber::numberWithInteger(1LL << 40), 4},
        {"2^32 + 3", NSNumber::numberWithInteger((1LL << 32) + 3), 4},
        {"a date", NSDate::dateWithTimeIntervalSinceReferenceDate(0), 4},
        {"2", NSNumber::numberWithInteger(2), 2},
        {"0", NSNumber::numberWithInteger(0), 0},
        {"-1", NSNumber::numberWithInteger(-1), 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ShellHost::Options options;
        options.prepareDevice = [&](const TemporaryDeviceRoot&) {
            writePreferences({{"Items To Keep", c.value}});
            ASSERT_FALSE(NSFileManager::defaultManager().writePropertyList(
                NSArray::arrayWithObjects({record("4"), record("3"), record("2"), record("1")}),
                PLWriter::kNewNotificationsPath));
        };
        const ShellHost shell(options);
        ASSERT_TRUE(shell.isRunning()) << shell.failure();
        openAndClosePanel(shell);
        const std::vector<std::string> all{"4", "3", "2", "1"};
        EXPECT_EQ(elementsOf(PLWriter::kOldNotificationsPath), std::vector<std::string>(all.begin(), all.begin() + c.kept));
    }
}

TEST(LogAtScale, ElementsThatAreNotRecordsAreSetAsideWithTheirFileInsteadOfDroppedAtTheClose)
{
    ShellHost::Options options;
    options.prepareDevice = [](const TemporaryDeviceRoot&) {
        auto& files = NSFileManager::defaultManager();
        ASSERT_FALSE(files.writePropertyList(
            NSArray::arrayWithObjects({record("new"), NSString::stringWithString("a note"), NSNumber::numberWithInteger(7)}),
            PLWriter::kNewNotificationsPath));
        ASSERT_FALSE(files.writePropertyList(NSArray::arrayWithObjects({NSArray::arrayWithObjects({}), record("old")}),
                                             PLWriter::kOldNotificationsPath));
    };
    const ShellHost shell(options);
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    openAndClosePanel(shell);

    const auto setAside = [&shell] {
        std::vector<std::vector<std::string>> files;
        for (const auto& name : filesInLogFolder(shell)) {
            if (name.find(".other-elements-") != std::string::npos) {
                files.push_back(elementsOf(std::string(PLWriter::kLogFolder) + name));
            }
        }
        return files;
    };
    EXPECT_THAT(elementsOf(PLWriter::kOldNotificationsPath), ElementsAre("new", "old"));
    EXPECT_THAT(setAside(), testing::UnorderedElementsAre(ElementsAre("new", "?", "?"), ElementsAre("?", "old")));
    openAndClosePanel(shell);
    EXPECT_EQ(setAside().size(), 2u) << "set aside once: the rewritten file holds records only";
}

} // namespace

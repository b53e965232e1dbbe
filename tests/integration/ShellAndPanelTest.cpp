// The product end to end, as a person uses it: the shell host with the tweak library loaded, on a private
// bus and a freshly installed device, driven with sbctl; the log files read back from the device.
#include "ChildProcess.h"
#include "NSArray.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSNumber.h"
#include "NSString.h"
#include "PLWriter.h"
#include "ShellHost.h"
#include "VTSorter.h"

#include <cairo.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using testing::ElementsAre;
using testing::UnorderedElementsAre;

// Points on the 320 x 480 screen, portrait.
constexpr const char* kMidX = "160";
constexpr const char* kFirstEntryY = "85";   // the first group's header is 44 high below the 20-point cap
constexpr const char* kFirstHeaderY = "42";
constexpr const char* kBottomCapY = "440";   // the bottom band closes the panel
constexpr const char* kDeleteButtonX = "285"; // a swiped row's Delete button, at its right end

std::vector<std::string> logged(const char* path, const char* key = "Body")
{
    std::vector<std::string> values;
    const auto list = NSFileManager::defaultManager().readPropertyListAtPath(path).valueAs<NSArray>();
    if (list) {
        for (const auto& element : list->objects()) {
            const auto record = as<NSDictionary>(element);
            values.push_back(record ? record->stringForKey(key).value_or("-") : "?");
        }
    }
    return values;
}

std::vector<std::string> newBodies() { return logged(PLWriter::kNewNotificationsPath); }
std::vector<std::string> oldBodies() { return logged(PLWriter::kOldNotificationsPath); }

void writePreferences(const TemporaryDeviceRoot&, NSDictionary::Entries entries)
{
    ASSERT_FALSE(NSFileManager::defaultManager().writePropertyList(NSDictionary::dictionaryWithEntries(std::move(entries)),
                                                                  PLWriter::kPreferencesPath));
}

ShellHost::Options withPreferences(NSDictionary::Entries entries)
{
    ShellHost::Options options;
    options.prepareDevice = [entries](const TemporaryDeviceRoot& device) { writePreferences(device, entries); };
    return options;
}

bool panelIsShown(const ShellHost& shell)
{
    const auto state = shell.state();
    return std::any_of(state.windows.begin(), state.windows.end(), [](const auto& w) { return w.level == 990; });
}

class ShellAndPanel : public ::testing::Test {
protected:
    static void act(const ShellHost& shell, const std::vector<std::string>& command)
    {
        shell.command(command);
        shell.waitUntilIdle();
    }
    static void dismissPopUps(const ShellHost& shell)
    {
        for (int i = 0; i < 10 && !shell.state().alerts.empty(); ++i) {
            act(shell, {"tap", kMidX, "290"});
        }
        ASSERT_TRUE(shell.state().alerts.empty());
    }
    static void openPanel(const ShellHost& shell)
    {
        act(shell, {"drag", kMidX, "5", kMidX, "300", "--steps", "8"});
        ASSERT_TRUE(panelIsShown(shell)) << "the swipe down from the status bar opens the panel";
    }
    static void closePanel(const ShellHost& shell)
    {
        act(shell, {"tap", kMidX, kBottomCapY});
        ASSERT_FALSE(panelIsShown(shell));
    }
};

TEST_F(ShellAndPanel, EveryAlertKindIsLoggedAndShownAsItsPopUp)
{
    ShellHost shell;
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    act(shell, {"unlock"});
    struct Kind {
        std::vector<std::string> command;
        const char* application;
        const char* body;
        const char* popUpTitle;
    };
    const std::vector<Kind> kinds = {
        {{"sms", "--sender", "Anna", "--text", "Lunch?"}, "Messages", "Anna: Lunch?", "Anna"},
        {{"calendar", "--title", "Dentist", "--location", "Main St"}, "Calendar", "Dentist: Main St", "Dentist"},
        {{"battery", "--level", "20"}, "Battery", "Battery level is at 20%", "Low Battery"},
        {{"disk-space"}, "Memory", "Low memory warning", "Almost Out of Storage"},
        {{"push", "--app", "com.apple.mobilecal", "--body", "two\nlines"}, "Calendar", "two - lines", "Calendar"},
        {{"voicemail"}, "Voicemail", "New Voicemail", nullptr},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.command.front());
        act(shell, kind.command);
        ASSERT_FALSE(newBodies().empty());
        EXPECT_EQ(newBodies().front(), kind.body);
        EXPECT_EQ(logged(PLWriter::kNewNotificationsPath, "Application").front(), kind.application);
        const auto alerts = shell.state().alerts;
        ASSERT_EQ(alerts.size(), 1u) << "the pop-up is shown as the settings allow";
        if (kind.popUpTitle) {
            EXPECT_EQ(alerts.front().title, kind.popUpTitle);
        }
        dismissPopUps(shell);
    }
    EXPECT_THAT(shell.state().statusBarImages, testing::Contains("Vantle"));

    act(shell, {"now-playing", "--app", "com.apple.mobileipod", "--title", "Song", "--artist", "Nina"});
    EXPECT_EQ(newBodies().size(), kinds.size()) << "what is playing is announced, never logged";
}

TEST_F(ShellAndPanel, AMissedCallIsLoggedOnceHoweverOftenTheLockScreenListsIt)
{
    ShellHost shell;
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    act(shell, {"missed-call", "--caller", "Mom"});
    for (int i = 0; i < 3; ++i) {
        act(shell, {"lock"});
        act(shell, {"home"});
    }
    EXPECT_THAT(newBodies(), ElementsAre("Missed Call: Mom"));
}

TEST_F(ShellAndPanel, BlockSettingsHoldPopUpsBackButNeverTheClocksAlarms)
{
    ShellHost shell(withPreferences({{"Block Homescreen Alerts", NSNumber::numberWithBool(true)},
                                     {"Block Lockscreen Alerts", NSNumber::numberWithBool(true)}}));
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    act(shell, {"sms", "--sender", "Anna", "--text", "locked"});
    act(shell, {"unlock"});
    act(shell, {"sms", "--sender", "Anna", "--text", "unlocked"});
    EXPECT_TRUE(shell.state().alerts.empty());
    EXPECT_THAT(newBodies(), ElementsAre("Anna: unlocked", "Anna: locked"));
    const auto sounds = shell.state().sounds;
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "sms-received1.caf"), 2) << "the capture plays the sound itself";

    act(shell, {"push", "--app", "com.apple.mobiletimer", "--body", "Wake up", "--local"});
    ASSERT_EQ(shell.state().alerts.size(), 1u);
    EXPECT_EQ(shell.state().alerts.front().message, "Wake up");
}

TEST_F(ShellAndPanel, ThePanelOpensOnTheSwipeLaunchesATappedEntryAndMarksEverythingReadOnClose)
{
    ShellHost shell(withPreferences({{"Hide Read", NSNumber::numberWithBool(false)}}));
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    act(shell, {"unlock"});
    act(shell, {"sms", "--sender", "Anna", "--text", "first"});
    dismissPopUps(shell);
    act(shell, {"push", "--app", "com.apple.mobilecal", "--body", "Meeting"});
    dismissPopUps(shell);

    openPanel(shell);
    EXPECT_TRUE(shell.state().statusBarImages.empty()) << "opening takes the status-bar image away";
    act(shell, {"sms", "--sender", "Bob", "--text", "while open"});
    EXPECT_TRUE(shell.state().alerts.empty()) << "no pop-up over the open panel";
    shell.screenshot("panel-open.png");

    closePanel(shell);
    EXPECT_TRUE(newBodies().empty());
    EXPECT_THAT(oldBodies(), ElementsAre("Bob: while open", "Meeting", "Anna: first"));

    openPanel(shell);
    act(shell, {"tap", kMidX, kFirstEntryY});
    EXPECT_FALSE(panelIsShown(shell)) << "a tapped entry closes the panel";
    EXPECT_EQ(shell.state().foreground, "com.apple.MobileSMS") << "and brings its application forward";
}

TEST_F(ShellAndPanel, ASwipedEntryIsDeletedByItsButtonAndATapOnTheTopStripCloses)
{
    ShellHost shell;
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    act(shell, {"unlock"});
    for (const char* text : {"keep", "delete"}) {
        act(shell, {"sms", "--sender", "Anna", "--text", text});
        dismissPopUps(shell);
    }
    openPanel(shell);
    act(shell, {"drag", "280", kFirstEntryY, "120", kFirstEntryY, "--steps", "8"}); // the newest entry
    act(shell, {"tap", kDeleteButtonX, kFirstEntryY});
    EXPECT_TRUE(panelIsShown(shell)) << "the button deletes; it launches nothing";
    closePanel(shell);
    EXPECT_THAT(oldBodies(), ElementsAre("Anna: keep"));

    openPanel(shell);
    act(shell, {"tap", kMidX, "10"}); // on the status bar, which lies over the panel's top strip
    EXPECT_FALSE(panelIsShown(shell)) << "the status bar lets the tap through to the open panel";
    openPanel(shell);
    EXPECT_TRUE(panelIsShown(shell)) << "and keeps its swipe down while the panel is closed";
}

TEST_F(ShellAndPanel, LaunchingAnApplicationDeletesItsRecordsWithAutoDeleteOnBadge)
{
    ShellHost shell(withPreferences({{"Auto Delete On Badge", NSNumber::numberWithBool(true)}}));
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    act(shell, {"unlock"});
    act(shell, {"sms", "--sender", "Anna", "--text", "hi"});
    act(shell, {"voicemail"});
    dismissPopUps(shell);
    act(shell, {"launch", "com.apple.MobileSMS"});
    EXPECT_THAT(newBodies(), ElementsAre("New Voicemail"));
    act(shell, {"home"});
    act(shell, {"launch", "com.apple.mobilephone", "--switcher"});
    EXPECT_TRUE(newBodies().empty());
}

TEST_F(ShellAndPanel, CollapsedGroupsAndTheItemLimitHoldAcrossOpenings)
{
    ShellHost shell(withPreferences({{"Group By", NSString::stringWithString("Application")},
                                     {"Items To Keep", NSNumber::numberWithInteger(2)},
                                     {"Hide Read", NSNumber::numberWithBool(false)}}));
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    act(shell, {"unlock"});
    for (const char* text : {"one", "two", "three"}) {
        act(shell, {"sms", "--sender", "Anna", "--text", text});
        dismissPopUps(shell);
    }
    openPanel(shell);
    act(shell, {"tap", kMidX, kFirstHeaderY}); // collapses the Messages group
    closePanel(shell);
    EXPECT_THAT(oldBodies(), ElementsAre("Anna: three", "Anna: two")) << "the newest two are kept";
    const auto collapsed = NSFileManager::defaultManager()
                               .readPropertyListAtPath("/var/mobile/Library/Vantle/Collapsed.plist")
                               .valueAs<NSDictionary>();
    ASSERT_TRUE(collapsed);
    EXPECT_FALSE(collapsed->entries().empty()) << "keyed by the entries' dates, to the second";

    openPanel(shell);
    act(shell, {"tap", kMidX, kFirstEntryY}); // below the collapsed header: nothing to launch there
    EXPECT_TRUE(panelIsShown(shell)) << "the group is still collapsed, so no entry lies under the finger";
    closePanel(shell);
}

// A FIFO where the shell expects a file would hold a blocking reader until a writer came, SIGTERM included.
// The shell treats it as a file it cannot read and goes on: it logs, answers its control calls and stops
// when told; it opens and closes the panel and collapses a group, unless the FIFO stands where the
// swipe's assignment is kept.
TEST_F(ShellAndPanel, AFifoAtAPathTheShellReadsIsTakenAsUnreadableAndBlocksNothing)
{
    const struct {
        const char* path;
        bool swipeOpensThePanel;
    } cases[] = {
        {PLWriter::kNewNotificationsPath, true},
        {PLWriter::kOldNotificationsPath, true},
        {VTSorter::kCollapsedPath, true},
        {PLWriter::kPreferencesPath, true},
        {"/var/mobile/Library/Preferences/libactivator.plist", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ShellHost::Options options;
        options.prepareDevice = [path = std::string(c.path)](const TemporaryDeviceRoot& device) {
            if (path != PLWriter::kPreferencesPath) {
                writePreferences(device, {{"Group By", NSString::stringWithString("Application")},
                                          {"Hide Read", NSNumber::numberWithBool(false)}});
            }
            std::filesystem::remove(device.hostPath(path)); // the install may have put the file there
            ASSERT_EQ(::mkfifo(device.hostPath(path).c_str(), 0600), 0);
        };
        ShellHost shell(options);
        ASSERT_TRUE(shell.isRunning()) << shell.failure();
        act(shell, {"unlock"});
        act(shell, {"sms", "--sender", "Anna", "--text", "hi"});
        dismissPopUps(shell);
        if (c.swipeOpensThePanel) {
            openPanel(shell);
            act(shell, {"tap", kMidX, kFirstHeaderY});
            closePanel(shell);
            EXPECT_THAT(oldBodies(), ElementsAre("Anna: hi"));
        } else {
            EXPECT_THAT(newBodies(), ElementsAre("Anna: hi"));
        }
        EXPECT_EQ(shell.stop(), 0) << shell.hostLog();
    }
}

// A record whose body is one word of 64 KiB is logged whole, and the panel draws it (only what can be seen
// of it is laid out: wrapping all of it would hold the shell for minutes).
TEST_F(ShellAndPanel, ARecordOfOneLongWordIsLoggedWholeAndDrawnInThePanel)
{
    std::string word;
    while (word.size() < 64 * 1024 - 26) {
        word += "abcdefghijklmnopqrstuvwxyz";
    }
    const std::vector<std::string> justTheWord{word};
    ShellHost shell(withPreferences({{"Block Homescreen Alerts", NSNumber::numberWithBool(true)}}));
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    act(shell, {"unlock"});
    act(shell, {"push", "--app", "com.apple.mobilecal", "--body", word});
    EXPECT_TRUE(newBodies() == justTheWord);
    openPanel(shell);
    const auto picture = shell.screenshot("panel-long-word.png");
    cairo_surface_t* png = cairo_image_surface_create_from_png(picture.c_str());
    EXPECT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(png);
    closePanel(shell);
    EXPECT_TRUE(oldBodies() == justTheWord);
}

// During a burst of plug-in records into the open panel the shell is never idle, yet it answers its state
// while the burst still runs: the state is read as its call arrives, and the panel takes the records that
// arrive together with one table update.
TEST_F(ShellAndPanel, TheShellAnswersItsStateDuringABurstIntoTheOpenPanel)
{
    ShellHost shell;
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    act(shell, {"unlock"});
    openPanel(shell);
    ChildProcess::Options options;
    options.environment = {{"DBUS_SESSION_BUS_ADDRESS", shell.busAddress()}};
    std::string failure;
    auto client = ChildProcess::start(
        {VANTLE_IPC_PEER, "burst", PLWriter::kMessagingCenterName, PLWriter::kNewNotificationMessage, "10000"}, options,
        failure);
    ASSERT_NE(client, nullptr) << failure;
    for (int acknowledged = 0; acknowledged < 100;) {
        const auto line = client->nextLine();
        ASSERT_TRUE(line) << "the burst ended early";
        acknowledged += line->starts_with("acknowledged ") ? 1 : 0;
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(panelIsShown(shell));
    }
    siginfo_t exited{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(client->pid()), &exited, WEXITED | WNOHANG | WNOWAIT), 0);
    EXPECT_EQ(exited.si_pid, 0) << "the state came only once the burst was over";
    while (client->nextLine()) {
    }
    EXPECT_EQ(client->waitForExit(), 0);
    shell.waitUntilIdle();
    closePanel(shell);
}

TEST_F(ShellAndPanel, ThePanelFollowsTheShellIntoLandscape)
{
    ShellHost shell;
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    act(shell, {"unlock"});
    act(shell, {"rotate", "3"});
    EXPECT_EQ(shell.state().orientation, 3);
    act(shell, {"activator", "libactivator.statusbar.swipe.down"});
    EXPECT_TRUE(panelIsShown(shell));
    const auto picture = shell.screenshot("panel-landscape.png");
    cairo_surface_t* png = cairo_image_surface_create_from_png(picture.c_str());
    EXPECT_EQ(cairo_image_surface_get_width(png), 480) << "a picture of the screen stands upright";
    EXPECT_EQ(cairo_image_surface_get_height(png), 320);
    cairo_surface_destroy(png);
    act(shell, {"activator", "libactivator.statusbar.swipe.down"});
    EXPECT_FALSE(panelIsShown(shell));
}

} // namespace

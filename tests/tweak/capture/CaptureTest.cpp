#include "../LogTestSupport.h"

#include "LaunchAction.h"
#include "NSNotification.h"
#include "NSNotificationCenter.h"
#include "NSNumber.h"
#include "SBApplication.h"
#include "SBCalendarAlertItem.h"
#include "VTCapture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using namespace logtest;

// A capture over a fresh device root, with the panel's state in the test's hand, recording what it
// announces in the process.
class Capture : public LogFixture {
protected:
    Capture()
    {
        NSNotificationCenter::defaultCenter().addObserver(
            this, [this](const std::shared_ptr<NSNotification>& n) { announced.push_back(n->userInfo()); },
            PLWriter::kNewNotificationBroadcast);
    }
    ~Capture() override { NSNotificationCenter::defaultCenter().removeObserver(this); }

    // The records that reached the log, newest first, after every writer has finished.
    std::vector<std::shared_ptr<NSDictionary>> logged()
    {
        drain();
        return readLog(PLWriter::kNewNotificationsPath).value_or(std::vector<std::shared_ptr<NSDictionary>>{});
    }
    std::shared_ptr<LaunchAction> announcedAction(std::size_t i)
    {
        drain();
        return i < announced.size() ? as<LaunchAction>(announced[i]->objectForKey("Action")) : nullptr;
    }

    bool panelShown = false;
    VTCapture capture{[this] { return panelShown; }};
    std::vector<std::shared_ptr<NSDictionary>> announced;
};

struct KindCase {
    const char* name;
    std::function<void(VTCapture&)> capture;
    const char* application;
    const char* body;
    const char* bundleIdentifier; // null: none
    int actionType;               // -1: no action
    bool actionLaunches;
};

TEST_F(Capture, EachAlertKindBecomesItsRecord)
{
    const auto messages = std::make_shared<SBApplication>("com.example.chat", "Chat");
    const std::vector<KindCase> cases = {
        {"text", [](VTCapture& c) { (void)c.captureTextMessage("Ann", "Lunch?"); }, "Messages", "Ann: Lunch?",
         "com.apple.MobileSMS", LaunchAction::Message, false},
        {"calendar", [](VTCapture& c) { (void)c.captureCalendarAlarm("Standup", "Room 4", std::make_shared<SBCalendarAlertItem>()); },
         "Calendar", "Standup: Room 4", "com.apple.mobilecal", -2, false},
        {"calendar without place", [](VTCapture& c) { (void)c.captureCalendarAlarm("Standup", "", nullptr); },
         "Calendar", "Standup", "com.apple.mobilecal", LaunchAction::Event, false},
        {"battery", [](VTCapture& c) { (void)c.captureLowBattery(20); }, "Battery", "Battery level is at 20%", nullptr,
         -1, false},
        {"disk", [](VTCapture& c) { (void)c.captureLowDiskSpace(); }, "Memory", "Low memory warning", nullptr, -1, false},
        {"push", [&](VTCapture& c) { (void)c.capturePushNotification(messages, "two\nlines", std::make_shared<NSObject>()); },
         "Chat", "two - lines", "com.example.chat", LaunchAction::Alert, true},
        {"voicemail", [](VTCapture& c) { (void)c.captureVoicemail(); }, "Voicemail", "New Voicemail",
         "com.apple.mobilephone", LaunchAction::Application, true},
        {"missed call", [](VTCapture& c) { (void)c.captureAwayItem(1, 1000.0, "Bob"); }, "Phone", "Missed Call: Bob",
         "com.apple.mobilephone", LaunchAction::Application, true},
    };
    for (const auto& kind : cases) {
        SCOPED_TRACE(kind.name);
        announced.clear();
        kind.capture(capture);
        const auto records = logged();
        ASSERT_FALSE(records.empty());
        const auto& record = records.front();
        EXPECT_EQ(record->stringForKey("Application"), kind.application);
        EXPECT_EQ(record->stringForKey("Body"), kind.body);
        EXPECT_EQ(record->stringForKey("Bundle Identifier").value_or("(none)"),
                  kind.bundleIdentifier ? kind.bundleIdentifier : "(none)");
        EXPECT_FALSE(record->objectForKey("Action")) << "an action is never persisted";
        const auto action = announcedAction(0);
        if (kind.actionType == -1) {
            EXPECT_FALSE(action);
        } else if (kind.actionType >= 0) {
            ASSERT_TRUE(action);
            EXPECT_EQ(action->actionType(), kind.actionType);
            EXPECT_EQ(action->canLaunch(), kind.actionLaunches);
        } else {
            ASSERT_TRUE(action);
            EXPECT_TRUE(action->canLaunch()) << "an event action keeps the alert item it reveals";
        }
    }
}

struct PermissionCase {
    bool panel, blockHome, blockLock, allowHome, allowLock, clock;
    bool showAlert, showLockscreen;
};

TEST_F(Capture, PermissionsFollowThePanelTheSettingsAndTheOverrides)
{
    const std::vector<PermissionCase> cases = {
        {false, false, false, true, true, false, true, true},
        {true, false, false, true, true, false, false, true},
        {false, true, false, true, true, false, false, true},
        {false, false, true, true, true, false, true, false},
        {false, false, false, false, true, false, false, true},
        {false, false, false, true, false, false, true, false},
        // The clock's alarms are never held back.
        {true, true, true, false, false, true, true, true},
    };
    const auto clock = std::make_shared<SBApplication>("com.apple.mobiletimer", "Clock");
    const auto other = std::make_shared<SBApplication>("com.example.app", "App");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "panel " << c.panel << " block " << c.blockHome << c.blockLock
                                        << " allow " << c.allowHome << c.allowLock << " clock " << c.clock);
        writePreferences({{"Block Homescreen Alerts", NSNumber::numberWithBool(c.blockHome)},
                          {"Block Lockscreen Alerts", NSNumber::numberWithBool(c.blockLock)}});
        PLWriter::reloadSettings();
        PLWriter::overrideSpringBoard(c.allowHome);
        PLWriter::overrideLockscreen(c.allowLock);
        panelShown = c.panel;
        const auto outcome = capture.capturePushNotification(c.clock ? clock : other, "ring", nullptr);
        EXPECT_EQ(capture.showAlert(), c.showAlert);
        EXPECT_EQ(capture.showLockscreen(), c.showLockscreen);
        EXPECT_EQ(outcome, c.showAlert && c.showLockscreen ? VTCapture::Outcome::Logged
                                                           : VTCapture::Outcome::LoggedPlaySound);
    }
    PLWriter::overrideSpringBoard(true);
    PLWriter::overrideLockscreen(true);
}

TEST_F(Capture, AnIgnoredSourceLogsNothingAndLeavesThePermissions)
{
    writePreferences({{"Ignored Applications",
                       NSArray::arrayWithObjects({NSDictionary::dictionaryWithEntries(
                           {{"Bundle Id", string("com.apple.MobileSMS")}})})}});
    PLWriter::reloadSettings();
    panelShown = true;
    EXPECT_EQ(capture.captureTextMessage("Ann", "hi"), VTCapture::Outcome::Ignored);
    EXPECT_TRUE(capture.showAlert());
    EXPECT_TRUE(logged().empty());
    // A missed call is never tested against the ignored set.
    EXPECT_TRUE(capture.captureAwayItem(1, 5000.0, "Ann"));
}

TEST_F(Capture, EachMissedCallIsLoggedOnce)
{
    EXPECT_TRUE(capture.captureAwayItem(1, 1000.7, "Ann"));
    EXPECT_FALSE(capture.captureAwayItem(1, 1000.7, "Ann")) << "the same call labelled again";
    EXPECT_FALSE(capture.captureAwayItem(1, 1000.2, "Bob")) << "the same whole second";
    EXPECT_FALSE(capture.captureAwayItem(1, 999.0, "Cy")) << "older than one already logged";
    EXPECT_FALSE(capture.captureAwayItem(2, 2000.0, "Voicemail")) << "not a missed call";
    EXPECT_TRUE(capture.captureAwayItem(1, 1001.0, "Dee"));
    EXPECT_EQ(capture.lastCall(), 1001);
    // Two writers may store their records in either order.
    EXPECT_THAT(bodies(logged()), testing::UnorderedElementsAre("Missed Call: Ann", "Missed Call: Dee"));
    EXPECT_TRUE(capture.showAlert()) << "a missed call leaves the permissions alone";
}

TEST_F(Capture, NowPlayingIsAnnouncedNeverLogged)
{
    struct Case {
        bool playing;
        const char* foreground;
        bool locked, musicLock, musicHome;
        const char* artist;
        const char* announcedBody; // null: nothing
    };
    const std::vector<Case> cases = {
        {true, "", false, false, false, "Nina", "Song by Nina"},
        {true, "com.apple.MobileSMS", false, true, true, "", "Song"},
        {false, "", false, true, true, "Nina", nullptr},
        {true, "com.apple.mobileipod", false, true, true, "Nina", nullptr},
        {true, "", true, true, false, "Nina", nullptr},
        {true, "", true, true, true, "Nina", "Song by Nina"},
    };
    for (const auto& c : cases) {
        writePreferences({{"Music Lockscreen", NSNumber::numberWithBool(c.musicLock)},
                          {"Music Homescreen", NSNumber::numberWithBool(c.musicHome)}});
        PLWriter::reloadSettings();
        announced.clear();
        const bool shown = capture.captureNowPlaying("com.apple.mobileipod", c.playing, "Song", c.artist, c.foreground, c.locked);
        EXPECT_EQ(shown, c.announcedBody != nullptr);
        ASSERT_EQ(announced.size(), shown ? 1u : 0u);
        if (shown) {
            EXPECT_EQ(announced[0]->stringForKey("Body"), c.announcedBody);
            EXPECT_EQ(announced[0]->stringForKey("Application"), "Now Playing");
        }
    }
    EXPECT_TRUE(logged().empty());
}

TEST_F(Capture, TheGateConsumesThePermissionForTheScreenShown)
{
    PLWriter::overrideLockscreen(false);
    (void)capture.captureLowBattery(10);
    PLWriter::overrideLockscreen(true);
    EXPECT_TRUE(capture.takeGateDecision(false)) << "unlocked: the home-screen permission decides";
    (void)capture.captureLowBattery(10);
    EXPECT_TRUE(capture.showLockscreen());
    PLWriter::overrideLockscreen(false);
    (void)capture.captureLowDiskSpace();
    PLWriter::overrideLockscreen(true);
    EXPECT_FALSE(capture.takeGateDecision(true));
    EXPECT_TRUE(capture.showAlert() && capture.showLockscreen()) << "both rest at true again";
    EXPECT_TRUE(capture.takeGateDecision(true)) << "the next alert, with no capture between, passes";
}

} // namespace

TEST_F(Capture, UpdatesOfANotificationLeaveOneRecordHoweverTheirWritersRace)
{
    const auto volume = std::make_shared<SBApplication>("org.example.volume", "Volume");
    for (int percent = 0; percent <= 100; percent += 5) {
        (void)capture.capturePushNotification(volume, "Volume\n" + std::to_string(percent) + "%", nullptr, "volume");
    }
    (void)capture.capturePushNotification(volume, "Muted", nullptr, "another");
    (void)capture.capturePushNotification(volume, "Muted", nullptr);
    std::vector<std::string> bodiesLogged;
    for (const auto& record : logged()) {
        bodiesLogged.push_back(record->stringForKey("Body").value_or("-"));
    }
    EXPECT_THAT(bodiesLogged, testing::UnorderedElementsAre("Volume - 100%", "Muted", "Muted"));
}

#include "CFNotificationCenter.h"
#include "CrossProcessChannels.h"
#include "FileSystemCalls.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSNumber.h"
#include "NSRunLoop.h"
#include "NSString.h"
#include "PSPreferenceFile.h"
#include "PreferencesAppController.h"
#include "SteppedClockScope.h"
#include "TemporaryDeviceRoot.h"
#include "TestPreferenceBundle.h"
#include "UIAlertView.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using App = PreferencesAppController;

// Every rename fails, as on a full or read-only disk: no file can be replaced.
class FailingRenames final : public FileSystemCalls {
public:
    int rename(const char*, const char*) override
    {
        errno = ENOSPC;
        return -1;
    }
};

std::vector<std::string> rowTexts(const App::State& state)
{
    std::vector<std::string> texts;
    for (const auto& section : state.sections) {
        for (const auto& row : section.rows) {
            texts.push_back(row.text);
        }
    }
    return texts;
}

const App::Row* rowTitled(const App::State& state, const std::string& text)
{
    for (const auto& section : state.sections) {
        for (const auto& row : section.rows) {
            if (row.text == text) {
                return &row;
            }
        }
    }
    return nullptr;
}

class PreferencesApp : public ::testing::Test {
protected:
    void SetUp() override
    {
        CrossProcessChannels::useLoopback();
        ASSERT_TRUE(TestPreferenceBundle::install(device.path(), VANTLE_PREFERENCES_TEST_BUNDLE));
        CFNotificationCenter::getDarwinNotifyCenter().addObserver(
            TestPreferenceBundle::kNotification, [this](auto&&...) { ++notifications; }, this);
    }
    void TearDown() override
    {
        CFNotificationCenter::getDarwinNotifyCenter().removeEveryObserver(this);
        app.reset();
        settle();
        CrossProcessChannels::useLoopback();
    }

    App& launch()
    {
        app = std::make_unique<App>();
        app->finishLaunching();
        settle();
        return *app;
    }
    void settle()
    {
        for (int step = 0; step < 4; ++step) {
            time.clock().advance(0.5);
            while (NSRunLoop::mainRunLoop().runOnce()) {
            }
        }
    }
    void open(const std::string& title)
    {
        ASSERT_EQ(app->tapRow(title), std::nullopt);
        settle();
    }
    std::shared_ptr<NSDictionary> preferences() const
    {
        return NSFileManager::defaultManager().readPropertyListAtPath(TestPreferenceBundle::kPreferencePath).valueAs<NSDictionary>();
    }
    std::vector<std::string> preferenceFolder() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(device.hostPath(PSPreferenceFile::kPreferencesFolder))) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    TemporaryDeviceRoot device;
    SteppedClockScope time{1000.0};
    std::unique_ptr<App> app;
    int notifications = 0;
};

TEST_F(PreferencesApp, TheRootPageListsTheBundlesOfWellFormedEntryFiles)
{
    const auto entries = device.hostPath("/Library/PreferenceLoader/Preferences");
    std::ofstream(entries / "Broken.plist") << "<plist><dict><key>entry</key>";
    std::ofstream(entries / "NoBundle.plist") << "<plist><dict><key>entry</key><dict><key>cell</key>"
                                                 "<string>PSLinkCell</string></dict></dict></plist>";
    std::ofstream(entries / "Climbs.plist") << "<plist><dict><key>entry</key><dict><key>cell</key><string>PSLinkCell"
                                               "</string><key>bundle</key><string>../../x</string></dict></dict></plist>";
    std::ofstream(entries / "Switch.plist") << "<plist><dict><key>entry</key><dict><key>cell</key><string>PSSwitchCell"
                                               "</string><key>bundle</key><string>Switch</string></dict></dict></plist>";
    std::ofstream(entries / "README") << "not an entry";

    const App::State state = launch().state();

    EXPECT_EQ(state.title, "Settings");
    EXPECT_EQ(rowTexts(state), std::vector<std::string>{"Test Bundle"});
}

TEST_F(PreferencesApp, OpeningABundleLoadsItsLibraryAndShowsItsPrincipalPage)
{
    launch();
    open("Test Bundle");

    const App::State state = app->state();
    EXPECT_EQ(state.title, "Test Bundle");
    EXPECT_EQ(state.stack, (std::vector<std::string>{"Settings", "Test Bundle"}));
    ASSERT_EQ(state.sections.size(), 2u);
    EXPECT_EQ(state.sections[0].header, "Options");
    EXPECT_EQ(state.sections[0].footer, "Changes apply at once.");
    EXPECT_EQ(rowTexts(state), (std::vector<std::string>{"Enabled", "Group By", "Name", "Count", "Names", "Missing Page"}));
    EXPECT_EQ(rowTitled(state, "Enabled")->on, true) << "the default while the file has no value";
    EXPECT_EQ(rowTitled(state, "Group By")->detail, "Date");

    ASSERT_EQ(app->back(), std::nullopt);
    settle();
    EXPECT_EQ(app->state().stack, std::vector<std::string>{"Settings"});
    EXPECT_TRUE(app->back().has_value()) << "the root page has no back button";
}

TEST_F(PreferencesApp, ASwitchRewritesTheWholeFileAndThenPostsItsNotification)
{
    device.createDirectory(PSPreferenceFile::kPreferencesFolder);
    std::ofstream(device.hostPath(TestPreferenceBundle::kPreferencePath))
        << "<plist><dict><key>Other</key><string>kept</string></dict></plist>";
    launch();
    open("Test Bundle");

    ASSERT_EQ(app->toggle("Enabled"), std::nullopt);
    settle();

    ASSERT_TRUE(preferences());
    EXPECT_EQ(preferences()->objectForKey<NSNumber>("Enabled")->boolValue(), false);
    EXPECT_EQ(preferences()->stringForKey("Other"), "kept");
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(preferenceFolder(), std::vector<std::string>{"net.example.test.plist"}) << "no temporary file is left";
    EXPECT_EQ(rowTitled(app->state(), "Enabled")->on, false);
    EXPECT_TRUE(app->toggle("Group By").has_value()) << "a row without a switch";
}

TEST_F(PreferencesApp, AMissingFileIsCreatedAndAnUnreadableOneMovedAsideFirst)
{
    launch();
    open("Test Bundle");
    ASSERT_EQ(app->toggle("Enabled"), std::nullopt);
    ASSERT_TRUE(preferences()) << "created with its folder";

    std::ofstream(device.hostPath(TestPreferenceBundle::kPreferencePath), std::ios::trunc) << "garbage";
    ASSERT_EQ(app->toggle("Enabled"), std::nullopt);
    settle();

    ASSERT_TRUE(preferences());
    EXPECT_EQ(preferences()->count(), 1u);
    const auto names = preferenceFolder();
    ASSERT_EQ(names.size(), 2u);
    const auto aside = std::find_if(names.begin(), names.end(), [](const auto& name) { return name.find(".unreadable-") != std::string::npos; });
    ASSERT_NE(aside, names.end());
    std::ifstream kept(device.hostPath(std::string(PSPreferenceFile::kPreferencesFolder) + *aside));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "garbage");
    EXPECT_EQ(notifications, 2);
}

TEST_F(PreferencesApp, AFailedWriteAnnouncesNothingAndShowsTheStoredValueAgain)
{
    launch();
    open("Test Bundle");
    NSFileManager::defaultManager().setFileSystemCalls(std::make_shared<FailingRenames>());
    const auto failure = app->toggle("Enabled");
    NSFileManager::defaultManager().setFileSystemCalls(nullptr);
    ASSERT_EQ(failure, std::nullopt);
    settle();

    EXPECT_EQ(notifications, 0);
    EXPECT_FALSE(preferences());
    EXPECT_EQ(rowTitled(app->state(), "Enabled")->on, true) << "the default, as nothing was stored";
}

TEST_F(PreferencesApp, AChoiceListStoresTheChosenValueAndShowsItsTitle)
{
    launch();
    open("Test Bundle");
    open("Group By");
    EXPECT_EQ(app->state().title, "Group By");
    EXPECT_EQ(rowTitled(app->state(), "Date")->checked, true);

    ASSERT_EQ(app->tapRow("Application"), std::nullopt);
    settle();

    EXPECT_EQ(preferences()->stringForKey("Group By"), "Application");
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(rowTitled(app->state(), "Date")->checked, std::nullopt);
    EXPECT_EQ(rowTitled(app->state(), "Application")->checked, true);
    ASSERT_EQ(app->back(), std::nullopt);
    settle();
    EXPECT_EQ(rowTitled(app->state(), "Group By")->detail, "Application");
}

TEST_F(PreferencesApp, WhatIsTypedIntoAFocusedTextRowIsStored)
{
    launch();
    open("Test Bundle");
    EXPECT_TRUE(app->type("Ann").has_value()) << "nothing has the focus yet";

    open("Name");
    ASSERT_EQ(app->type("Ann"), std::nullopt);

    EXPECT_EQ(preferences()->stringForKey("Name"), "Ann");
    EXPECT_EQ(rowTitled(app->state(), "Name")->detail, "Ann");

    open("Count");
    ASSERT_EQ(app->type("-"), std::nullopt);
    EXPECT_FALSE(preferences()->objectForKey("Count")) << "not a number yet";
    ASSERT_EQ(app->type("25"), std::nullopt);
    ASSERT_TRUE(preferences()->objectForKey<NSNumber>("Count"));
    EXPECT_EQ(preferences()->objectForKey<NSNumber>("Count")->integerValue(), -25);
}

TEST_F(PreferencesApp, ALinkPushesThePageOfItsDetailClassAndItsControlsWork)
{
    launch();
    open("Test Bundle");
    open("Missing Page");
    EXPECT_EQ(app->state().title, "Test Bundle") << "an unknown class opens nothing";
    EXPECT_TRUE(app->pressNavigationButton().has_value()) << "this page has no right button";

    open("Names");
    EXPECT_EQ(app->state().title, "Names");
    EXPECT_EQ(app->state().stack, (std::vector<std::string>{"Settings", "Test Bundle", "Names"}));

    ASSERT_EQ(app->pressNavigationButton(), std::nullopt);
    settle();
    ASSERT_TRUE(app->state().alert);
    EXPECT_EQ(app->state().alert->buttons, (std::vector<std::string>{"Cancel", "Okay"}));
    EXPECT_TRUE(app->tapRow("Anything").has_value()) << "rows are out of reach under an alert";
    ASSERT_EQ(app->type("Bo"), std::nullopt);
    EXPECT_TRUE(app->pressAlertButton("Maybe").has_value());
    ASSERT_EQ(app->pressAlertButton("Okay"), std::nullopt);
    settle();
    EXPECT_FALSE(app->state().alert);
    EXPECT_EQ(rowTexts(app->state()), std::vector<std::string>{"Bo"});

    ASSERT_EQ(app->swipeDelete("Bo"), std::nullopt);
    settle();
    EXPECT_TRUE(rowTexts(app->state()).empty());
    EXPECT_TRUE(app->swipeDelete("Bo").has_value());

    // A table kept in editing mode deletes through its rows' delete controls.
    ASSERT_EQ(app->pressNavigationButton(), std::nullopt);
    settle();
    ASSERT_EQ(app->type("Cy"), std::nullopt);
    ASSERT_EQ(app->pressAlertButton("Okay"), std::nullopt);
    settle();
    dynamic_cast<UITableView&>(*app->rootController().topViewController()->view()).setEditing(true);
    settle();
    ASSERT_EQ(app->swipeDelete("Cy"), std::nullopt);
    settle();
    EXPECT_TRUE(rowTexts(app->state()).empty());
}

TEST(PreferenceFile, ADomainNamesAFileInThePreferencesFolderOnly)
{
    EXPECT_EQ(PSPreferenceFile::pathForDomain("net.torvask.VantlePro"),
              "/var/mobile/Library/Preferences/net.torvask.VantlePro.plist");
    for (const char* domain : {"", "../../etc/x", "a/b", ".hidden"}) {
        EXPECT_EQ(PSPreferenceFile::pathForDomain(domain), std::nullopt) << domain;
        EXPECT_TRUE(PSPreferenceFile(domain, NSFileManager::defaultManager())
                        .setValueForKey(NSString::stringWithString("x"), "k")
                        .has_value());
    }
}

} // namespace

TEST(PreferencesStatusBar, RedrawsWhenTheShownMinuteChangesAndOnlyThen)
{
    SteppedClockScope clock(1000); // 40 seconds into a minute
    const auto bar = std::make_shared<PreferencesStatusBar>(CGRectMake(0, 0, 320, PreferencesStatusBar::height));
    const auto redrawsAfter = [&](double seconds) {
        bar->clearNeedsDisplay();
        clock.clock().advance(seconds);
        while (NSRunLoop::mainRunLoop().runOnce()) {
        }
        return bar->needsDisplay();
    };
    EXPECT_FALSE(redrawsAfter(19.5));
    EXPECT_TRUE(redrawsAfter(0.5));
    EXPECT_FALSE(redrawsAfter(59.5));
}

#include "ChildProcess.h"
#include "JsonValue.h"
#include "NSFileManager.h"
#include "ShellHost.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <memory>
#include <string>
#include <vector>

namespace {

// The shell and the Settings application on one device and one bus, driven by sbctl and settingsctl.
class SettingsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(shell.isRunning()) << shell.failure();
        ChildProcess::Options options;
        options.environment = { { "DBUS_SESSION_BUS_ADDRESS", shell.busAddress() } };
        std::string failure;
        settings = ChildProcess::start({ VANTLE_PREFERENCES_HOST, "--root", shell.device().path().string() }, options, failure);
        ASSERT_TRUE(settings) << failure;
        ASSERT_EQ(settings->nextLine(), "preferences: ready");
    }
    void TearDown() override
    {
        if (settings) {
            settings->sendSignal(SIGTERM);
            EXPECT_EQ(settings->waitForExitWithin(std::chrono::seconds(30)), 0);
        }
    }

    ToolRun settingsctl(const std::vector<std::string>& arguments) const
    {
        std::string words;
        for (const auto& argument : arguments) {
            words += " " + ToolRun::quoted(argument);
        }
        ToolRun result = ToolRun::of("/usr/bin/env", ToolRun::quoted("DBUS_SESSION_BUS_ADDRESS=" + shell.busAddress()) +
                                                         " " + ToolRun::quoted(VANTLE_SETTINGSCTL_TOOL) + words);
        EXPECT_EQ(result.status, 0) << "settingsctl" << words << ":\n" << result.all();
        return result;
    }
    // The detail of the row with the title on the page shown ("Group By: Application").
    std::string rowDetail(const std::string& title) const
    {
        std::string problem;
        const auto state = JsonValue::parse(settingsctl({ "state" }).out, problem);
        EXPECT_TRUE(state) << problem;
        for (const auto& section : state ? (*state)["sections"].array() : JsonValue::Array{}) {
            for (const auto& row : section["rows"].array()) {
                if (row["text"].string() == title) {
                    return row["detail"].string().value_or("");
                }
            }
        }
        return "(no row " + title + ")";
    }
    // Opens the panel and taps its first row: a group's header keeps the panel open (the list is grouped by
    // application), an entry launches its application and closes it (the list is by date).
    bool panelGroupsByApplication() const
    {
        shell.command({ "drag", "160", "5", "160", "300", "--steps", "8" });
        shell.waitUntilIdle();
        shell.command({ "tap", "160", "42" });
        shell.waitUntilIdle();
        const auto windows = shell.state().windows;
        const bool open = std::any_of(windows.begin(), windows.end(), [](const auto& w) { return w.level == 990; });
        if (open) {
            shell.command({ "tap", "160", "440" }); // the bottom cap closes it
            shell.waitUntilIdle();
        } else {
            shell.command({ "home" });
            shell.waitUntilIdle();
        }
        return open;
    }
    bool logged(const std::string& text, const char* file = "/var/mobile/Library/Vantle/NewNotifications.plist") const
    {
        const auto contents = NSFileManager::defaultManager().contentsAtPath(file);
        return contents && contents.value().find(text) != std::string::npos;
    }
    void dismissPopUps() const
    {
        for (int attempt = 0; attempt < 10 && !shell.state().alerts.empty(); ++attempt) {
            shell.command({ "tap", "160", "290" }); // the pop-up's button
            shell.waitUntilIdle();
        }
    }
    void textMessage(const std::string& text) const
    {
        shell.command({ "sms", "--sender", "Anna", "--text", text });
        shell.waitUntilIdle();
    }

    ShellHost shell;
    std::unique_ptr<ChildProcess> settings;
};

TEST_F(SettingsEndToEnd, IgnoringMessagesInThePickerStopsTextMessagesFromBeingLogged)
{
    settingsctl({ "open", "Vantle", "Ignored Apps" });
    settingsctl({ "nav-button" });
    settingsctl({ "tap-row", "Messages" });
    settingsctl({ "idle" });
    shell.waitUntilIdle();
    textMessage("while ignored");
    EXPECT_FALSE(logged("while ignored"));

    settingsctl({ "swipe-delete", "Messages" });
    settingsctl({ "idle" });
    shell.waitUntilIdle();
    textMessage("after removal");
    EXPECT_TRUE(logged("after removal"));
}

TEST_F(SettingsEndToEnd, AnEventAssignedOnTheGesturePageOpensThePanel)
{
    shell.command({ "unlock" });
    settingsctl({ "open", "Vantle", "Select Gesture" });
    settingsctl({ "tap-row", "Double Tap" });
    settingsctl({ "idle" });
    shell.command({ "activator", "libactivator.statusbar.tap.double" });
    shell.waitUntilIdle();

    const auto windows = shell.state().windows;
    EXPECT_TRUE(std::any_of(windows.begin(), windows.end(), [](const auto& window) { return window.level == 990; }))
        << "the panel's window is up";
}

TEST_F(SettingsEndToEnd, ARedirectionFromMessagesToPhoneBringsPhoneForwardFromATextMessagesEntry)
{
    settingsctl({ "open", "Vantle", "Redirections" });
    settingsctl({ "nav-button" });
    settingsctl({ "tap-row", "" }); // "From:", empty so far
    settingsctl({ "alert-button", "List" });
    settingsctl({ "tap-row", "Messages" });
    settingsctl({ "tap-row", "" }); // "To:", the one empty row left
    settingsctl({ "tap-row", "Phone" });
    settingsctl({ "nav-button" }); // "Done"
    settingsctl({ "idle" });

    shell.command({ "unlock" });
    textMessage("call me");
    dismissPopUps();
    shell.command({ "drag", "160", "5", "160", "300", "--steps", "8" }); // opens the panel
    shell.waitUntilIdle();
    shell.command({ "tap", "160", "85" }); // the first entry
    shell.waitUntilIdle();

    EXPECT_EQ(shell.state().foreground, "com.apple.mobilephone");
}

TEST_F(SettingsEndToEnd, OnAFreshDeviceGroupByShowsThePanelsGroupingAndKeepsItWhenAnotherSettingIsSaved)
{
    shell.command({ "unlock" });
    textMessage("hello");
    dismissPopUps();
    settingsctl({ "open", "Vantle" });
    EXPECT_EQ(rowDetail("Group By"), "Application");
    EXPECT_TRUE(panelGroupsByApplication());

    settingsctl({ "toggle", "Live Pulldown" }); // the first save creates the preference file
    settingsctl({ "idle" });
    shell.waitUntilIdle();
    EXPECT_EQ(rowDetail("Group By"), "Application");
    EXPECT_TRUE(panelGroupsByApplication()) << "saving another setting leaves the grouping as it was";
}

TEST_F(SettingsEndToEnd, GroupingByApplicationTakesEffectAtTheNextOpening)
{
    // With "Whole Group", tapping an entry deletes its group, which tells the two groupings apart: by date the
    // newest text message is a group of its own, by application both text messages are one group.
    settingsctl({ "open", "Vantle", "Group By" });
    settingsctl({ "tap-row", "Application" });
    settingsctl({ "back" });
    settingsctl({ "choose", "Auto Delete Type", "Whole Group" });
    settingsctl({ "idle" });

    shell.command({ "unlock" });
    textMessage("older");
    dismissPopUps();
    shell.command({ "voicemail" });
    shell.waitUntilIdle();
    dismissPopUps();
    textMessage("newer");
    dismissPopUps();
    shell.command({ "drag", "160", "5", "160", "300", "--steps", "8" }); // opens the panel
    shell.waitUntilIdle();
    shell.command({ "tap", "160", "85" }); // the newest entry: Messages comes forward, its group goes
    shell.waitUntilIdle();

    EXPECT_EQ(shell.state().foreground, "com.apple.MobileSMS");
    const char* read = "/var/mobile/Library/Vantle/OldNotifications.plist";
    EXPECT_TRUE(logged("New Voicemail", read));
    EXPECT_FALSE(logged("Anna: older", read)) << "both text messages were one group";
}

} // namespace

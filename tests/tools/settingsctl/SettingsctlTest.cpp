#include "ChildProcess.h"
#include "JsonValue.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "PrivateBus.h"
#include "TemporaryDeviceRoot.h"
#include "TestPreferenceBundle.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string words(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const std::string& argument : arguments) {
        line += " " + ToolRun::quoted(argument);
    }
    return line;
}

// The Settings application on a private bus and a device root holding the tests' preference bundle.
class Settingsctl : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestPreferenceBundle::install(device.path(), VANTLE_PREFERENCES_TEST_BUNDLE));
        ASSERT_TRUE(bus.isRunning()) << bus.failure();
    }
    void TearDown() override
    {
        if (host) {
            host->sendSignal(SIGTERM);
            EXPECT_EQ(host->waitForExitWithin(std::chrono::seconds(30)), 0) << "the host stops cleanly on SIGTERM";
        }
    }
    void startHost()
    {
        ChildProcess::Options options;
        options.environment = {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}};
        std::string failure;
        host = ChildProcess::start({VANTLE_PREFERENCES_HOST, "--root", device.path().string()}, options, failure);
        ASSERT_TRUE(host) << failure;
        ASSERT_EQ(host->nextLine(), "preferences: ready");
    }

    ToolRun settingsctl(const std::vector<std::string>& arguments) const
    {
        return ToolRun::of("/usr/bin/env", ToolRun::quoted("DBUS_SESSION_BUS_ADDRESS=" + bus.address()) + " " +
                                               ToolRun::quoted(VANTLE_SETTINGSCTL_TOOL) + words(arguments));
    }
    void run(const std::vector<std::string>& arguments) const
    {
        const ToolRun result = settingsctl(arguments);
        EXPECT_EQ(result.status, 0) << "settingsctl" << words(arguments) << ":\n" << result.all();
    }
    JsonValue state() const
    {
        const ToolRun result = settingsctl({"state"});
        std::string problem;
        auto json = JsonValue::parse(result.out, problem);
        EXPECT_TRUE(json) << problem << "\n" << result.all();
        return json ? *json : JsonValue();
    }
    std::shared_ptr<NSDictionary> preferences() const
    {
        return NSFileManager::defaultManager().readPropertyListAtPath(TestPreferenceBundle::kPreferencePath).valueAs<NSDictionary>();
    }

    TemporaryDeviceRoot device;
    PrivateBus bus;
    std::unique_ptr<ChildProcess> host;
};

TEST_F(Settingsctl, ExitsWithTwoOnABadArgumentAndOneWhenNoApplicationAnswers)
{
    for (const char* command : {"open", "tap-row", "toggle", "choose", "alert-button", "type", "swipe-delete",
                                "nav-button", "back", "tap", "drag", "screenshot", "idle", "state"}) {
        EXPECT_EQ(settingsctl({command, "--help"}).status, 0) << command;
    }
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {}, {"fly"}, {"open"}, {"choose", "Group By"}, {"tap", "400", "3"}, {"drag", "1", "2", "3"}}) {
        EXPECT_EQ(settingsctl(arguments).status, 2) << words(arguments);
    }
    const ToolRun nobody = settingsctl({"state"});
    EXPECT_EQ(nobody.status, 1);
    EXPECT_NE(nobody.err.find("no Settings application is running"), std::string::npos) << nobody.err;
}

TEST_F(Settingsctl, DrivesTheApplicationAndPrintsWhatItShows)
{
    startHost();
    const JsonValue root = state();
    EXPECT_EQ(root["title"].string(), "Settings");
    EXPECT_TRUE(root["alert"].isNull());
    ASSERT_EQ(root["sections"].array().size(), 1u);
    EXPECT_EQ(root["sections"].array()[0]["rows"].array()[0]["text"].string(), "Test Bundle");

    run({"open", "Test Bundle"});
    run({"toggle", "Enabled"});
    run({"choose", "Group By", "Application"});
    run({"back"});
    ASSERT_TRUE(preferences());
    EXPECT_EQ(preferences()->stringForKey("Group By"), "Application");
    const JsonValue page = state();
    EXPECT_EQ(page["title"].string(), "Test Bundle");
    const JsonValue& options = page["sections"].array()[0];
    EXPECT_EQ(options["header"].string(), "Options");
    EXPECT_EQ(options["footer"].string(), "Changes apply at once.");
    EXPECT_EQ(options["rows"].array()[0]["on"].boolean(), false);
    EXPECT_EQ(options["rows"].array()[1]["detail"].string(), "Application");
    EXPECT_TRUE(page["sections"].array()[1]["header"].isNull());

    const ToolRun missing = settingsctl({"tap-row", "Nowhere"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("has no row \"Nowhere\""), std::string::npos) << missing.err;

    run({"open", "Test Bundle", "Names"});
    run({"nav-button"});
    run({"type", "Ada"});
    EXPECT_EQ(state()["alert"]["title"].string(), "New Name");
    run({"alert-button", "Okay"});
    run({"idle"});
    const JsonValue names = state();
    EXPECT_TRUE(names["alert"].isNull());
    ASSERT_EQ(names["sections"].array()[0]["rows"].array().size(), 1u);
    EXPECT_EQ(names["stack"].array().size(), 3u);
    run({"swipe-delete", "Ada"});
    EXPECT_TRUE(state()["sections"].array()[0]["rows"].array().empty());

    const auto picture = device.path() / "names.png";
    run({"screenshot", picture.string()});
    EXPECT_TRUE(std::filesystem::file_size(picture) > 0);
}

} // namespace

#include "CrossProcessChannels.h"
#include "GestureSelection.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSNumber.h"
#include "NSString.h"
#include "PSControllerRegistry.h"
#include "PropertyListLoader.h"
#include "TemporaryDeviceRoot.h"
#include "UINavigationItem.h"
#include "VPSettingsController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr const char* kBundlePath = "/System/Library/PreferenceBundles/VantlePro.bundle";

class SettingsRootTest : public ::testing::Test {
protected:
    SettingsRootTest()
    {
        root.createDirectory(kBundlePath);
        for (const auto& file : std::filesystem::directory_iterator(VANTLE_SETTINGS_SPECIFIERS_DIR)) {
            std::filesystem::copy_file(file.path(), root.hostPath(kBundlePath) / file.path().filename());
        }
    }

    std::vector<std::shared_ptr<PSSpecifier>> rootSpecifiers()
    {
        controller.setBundlePath(kBundlePath);
        return controller.specifiers();
    }

    TemporaryDeviceRoot root;
    VPSettingsController controller;
};

std::shared_ptr<PSSpecifier> specifierForKey(const std::vector<std::shared_ptr<PSSpecifier>>& specifiers,
                                             const std::string& key)
{
    for (const auto& specifier : specifiers) {
        if (specifier->stringPropertyForKey(PSSpecifier::kKey) == key) {
            return specifier;
        }
    }
    return nullptr;
}

TEST_F(SettingsRootTest, EveryPreferenceIsOfferedWithTheTweaksDefaultAndAnnouncedAfterAChange)
{
    const std::map<std::string, id> defaults = {
        { "Auto Delete On Badge", NSNumber::numberWithBool(false) },
        { "Auto Delete Type", NSNumber::numberWithInteger(0) },
        { "Block Homescreen Alerts", NSNumber::numberWithBool(false) },
        { "Block Lockscreen Alerts", NSNumber::numberWithBool(false) },
        { "Custom Icons", NSNumber::numberWithBool(true) },
        { "Hide Read", NSNumber::numberWithBool(true) },
        { "Items To Keep", NSNumber::numberWithInteger(50) },
        { "Live Pulldown", NSNumber::numberWithBool(true) },
        { "Statusbar Icons", NSNumber::numberWithBool(true) },
        { "Music Lockscreen", NSNumber::numberWithBool(true) },
        { "Music Homescreen", NSNumber::numberWithBool(true) },
        { "Group By", NSString::stringWithString("Date") },
    };
    const auto specifiers = rootSpecifiers();
    for (const auto& [key, value] : defaults) {
        SCOPED_TRACE(key);
        const auto specifier = specifierForKey(specifiers, key);
        ASSERT_NE(specifier, nullptr);
        EXPECT_TRUE(isEqual(specifier->propertyForKey(PSSpecifier::kDefault), value));
        EXPECT_EQ(specifier->stringPropertyForKey(PSSpecifier::kDefaults), "net.torvask.VantlePro");
        EXPECT_EQ(specifier->stringPropertyForKey(PSSpecifier::kPostNotification), "net.torvask.LoadSettings");
    }
    EXPECT_EQ(controller.title(), "Vantle");
}

TEST_F(SettingsRootTest, ChoicesStoreTheValuesTheTweakUnderstands)
{
    const auto specifiers = rootSpecifiers();
    const auto groupBy = specifierForKey(specifiers, "Group By");
    ASSERT_NE(groupBy, nullptr);
    EXPECT_EQ(groupBy->titles(), (std::vector<std::string> { "Date", "Application" }));
    const auto autoDelete = specifierForKey(specifiers, "Auto Delete Type");
    ASSERT_NE(autoDelete, nullptr);
    ASSERT_EQ(autoDelete->values().size(), 3u);
    for (std::size_t index = 0; index < 3; ++index) {
        EXPECT_TRUE(isEqual(autoDelete->values()[index], NSNumber::numberWithInteger(static_cast<int>(index))));
    }
}

TEST_F(SettingsRootTest, GroupByShowsTheGroupingInForceAndTheFirstSaveKeepsIt)
{
    CrossProcessChannels::useLoopback(); // the saves post the reload notification
    const auto groupBy = specifierForKey(rootSpecifiers(), "Group By");
    const auto hideRead = specifierForKey(rootSpecifiers(), "Hide Read");
    ASSERT_TRUE(groupBy && hideRead);
    const char* path = "/var/mobile/Library/Preferences/net.torvask.VantlePro.plist";
    auto shown = [&] { return as<NSString>(controller.readPreferenceValue(*groupBy))->string(); };

    EXPECT_EQ(shown(), "Application") << "no file: the tweak has no grouping and lists by application";
    controller.setPreferenceValue(NSNumber::numberWithBool(false), *hideRead);
    const auto written = NSFileManager::defaultManager().readPropertyListAtPath(path).valueAs<NSDictionary>();
    ASSERT_TRUE(written);
    EXPECT_EQ(written->stringForKey("Group By"), "Application") << "the save that creates the file keeps it";
    EXPECT_EQ(shown(), "Application");

    ASSERT_FALSE(NSFileManager::defaultManager().writePropertyList(
        NSDictionary::dictionaryWithEntries({{"Hide Read", NSNumber::numberWithBool(true)}}), path));
    EXPECT_EQ(shown(), "Date") << "a file without the key means Date to the tweak";
    controller.setPreferenceValue(NSNumber::numberWithBool(false), *hideRead);
    EXPECT_FALSE(NSFileManager::defaultManager().readPropertyListAtPath(path).valueAs<NSDictionary>()->objectForKey("Group By"))
        << "a file that exists is left to its own grouping";
}

TEST_F(SettingsRootTest, PropertyListLoaderShowsTheFileNamedAfterItsTitle)
{
    std::ofstream(root.hostPath(kBundlePath) / "Extra.plist")
        << R"(<plist version="1.0"><dict><key>items</key><array>)"
           R"(<dict><key>cell</key><string>PSSwitchCell</string><key>label</key><string>Extra</string></dict>)"
           R"(</array></dict></plist>)";
    PropertyListLoader page;
    page.setBundlePath(kBundlePath);
    page.navigationItem()->setTitle("Extra");
    const auto specifiers = page.specifiers();
    ASSERT_EQ(specifiers.size(), 1u);
    EXPECT_EQ(specifiers[0]->name(), "Extra");
}

TEST(GestureSelectionTest, ShowsActivatorsPageForThePanelsListener)
{
    CrossProcessChannels::useLoopback();
    TemporaryDeviceRoot root;
    auto page = PSControllerRegistry::shared().createControllerOfClass("GestureSelection");
    ASSERT_NE(page, nullptr);
    auto& gestures = dynamic_cast<GestureSelection&>(*page);
    gestures.setSpecifier(PSSpecifier::groupSpecifierWithName("Select Gesture"));
    EXPECT_EQ(gestures.title(), "Select Gestures");
    EXPECT_EQ(gestures.listenerName(), "net.torvask.Vantle");
}

} // namespace

#include "AppListViewController.h"
#include "IgnoredViewController.h"
#include "NSArray.h"
#include "NSFileManager.h"
#include "SettingsPageTest.h"
#include "UIAlertView.h"
#include "VPSettingsController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Listed = std::tuple<std::string, std::string, std::string>; // name, identifier, icon path

class ApplicationsTest : public SettingsPageTest {
protected:
    void writeInfo(const std::string& bundleFolder, const std::string& plist) const
    {
        device.createDirectory(bundleFolder);
        std::ofstream(device.hostPath(bundleFolder + "/Info.plist")) << plist;
    }
    static std::string info(const std::string& keys) { return "<plist version=\"1.0\"><dict>" + keys + "</dict></plist>"; }
    static std::string key(const std::string& name, const std::string& value)
    {
        return "<key>" + name + "</key><string>" + value + "</string>";
    }
    static std::vector<Listed> listed(const AppListViewController& picker)
    {
        std::vector<Listed> apps;
        for (const auto& app : picker.apps()) {
            apps.emplace_back(app->appName(), app->bundleId(), app->iconPath());
        }
        return apps;
    }
    std::shared_ptr<NSArray> storedIgnored() const
    {
        const auto file = NSFileManager::defaultManager()
                              .readPropertyListAtPath("/var/mobile/Library/Preferences/net.torvask.VantlePro.plist")
                              .valueAs<NSDictionary>();
        return file ? file->objectForKey<NSArray>("Ignored Applications") : nullptr;
    }
    std::vector<std::string> ignoredIds(const std::vector<id>& elements) const
    {
        std::vector<std::string> ids;
        for (const auto& element : elements) {
            ids.push_back(as<NSDictionary>(element)->stringForKey("Bundle Id").value_or("?"));
        }
        return ids;
    }
    static std::shared_ptr<RXAppInfo> app(const std::string& bundleId)
    {
        return std::make_shared<RXAppInfo>(bundleId + " name", bundleId, "/Applications/x.app/icon.png");
    }

};

TEST_F(ApplicationsTest, TheScanListsSystemAndUserApplicationsByNameAndLeavesOutTheIncomplete)
{
    writeInfo("/Applications/Alpha.app", info(key("CFBundleDisplayName", "Alpha") + key("CFBundleName", "A") +
                                              key("CFBundleIdentifier", "a.alpha") + key("CFBundleIconFile", "A.png")));
    writeInfo("/Applications/beta.app", info(key("CFBundleIdentifier", "b.beta")));
    writeInfo("/Applications/Gamma", info(key("CFBundleIdentifier", "g.gamma")));
    writeInfo("/Applications/NoId.app", info(key("CFBundleName", "No Id")));
    writeInfo("/Applications/Typed.app", info("<key>CFBundleName</key><integer>3</integer>" + key("CFBundleIdentifier", "t.typed")));
    writeInfo("/Applications/Broken.app", "<plist><dict><key>CFBundleName</key>");
    writeInfo("/Applications/Deep.app", "<plist>" + [] {
        std::string nested;
        for (int level = 0; level < 5000; ++level) {
            nested += "<array>";
        }
        return nested;
    }());
    writeInfo("/var/mobile/Applications/C1/Zeta.app", info(key("CFBundleName", "zeta") + key("CFBundleIdentifier", "z.zeta")));
    writeInfo("/var/mobile/Applications/C2/Cobalt.app",
              info(key("CFBundleIdentifier", "c.cobalt") + key("CFBundleIconFile", "Big.png")));
    device.createDirectory("/var/mobile/Applications/C3/Documents");
    writeInfo("/var/mobile/Applications/C4/Bad.app", "not a property list");

    const AppListViewController picker;

    EXPECT_EQ(listed(picker), (std::vector<Listed> {
                                  { "Alpha", "a.alpha", "/Applications/Alpha.app/A.png" },
                                  { "beta", "b.beta", "/Applications/beta.app/icon.png" },
                                  { "Cobalt", "c.cobalt", "/var/mobile/Applications/C2/Cobalt.app/Big.png" },
                                  { "Typed", "t.typed", "/Applications/Typed.app/icon.png" },
                                  { "zeta", "z.zeta", "/var/mobile/Applications/C1/Zeta.app/Icon.png" },
                              }));
}

TEST_F(ApplicationsTest, TheSharedPickerScansAgainOnlyAfterTheRootPageHasGone)
{
    const auto first = AppListViewController::sharedListController();
    writeInfo("/Applications/New.app", info(key("CFBundleIdentifier", "n.new")));
    EXPECT_EQ(AppListViewController::sharedListController(), first);
    EXPECT_TRUE(first->apps().empty());

    std::make_unique<VPSettingsController>().reset();

    ASSERT_EQ(AppListViewController::sharedListController()->apps().size(), 1u);
}

TEST_F(ApplicationsTest, AddingAndRemovingSaveTheListInOrderAndCreateAMissingFile)
{
    IgnoredViewController page;
    AppListViewController picker;
    for (const auto* bundleId : { "one", "two", "three" }) {
        page.didSelectApplicationWithInfo(picker, app(bundleId));
    }
    settle();
    ASSERT_NE(storedIgnored(), nullptr);
    EXPECT_EQ(ignoredIds(storedIgnored()->objects()), (std::vector<std::string> { "one", "two", "three" }));
    EXPECT_TRUE(isEqual(storedIgnored()->objects()[0], app("one")->dictionary()));

    page.view();
    UITableView& table = *page.table();
    table.reloadData();
    page.commitEditingStyleForRowAtIndexPath(table, UITableViewCellEditingStyle::Delete, NSIndexPath::indexPathForRowInSection(1, 0));
    settle();
    EXPECT_EQ(ignoredIds(storedIgnored()->objects()), (std::vector<std::string> { "one", "three" }));
    EXPECT_EQ(table.numberOfRowsInSection(0), 2);
    EXPECT_EQ(reloads, 4);
    EXPECT_EQ(ignoredIds(IgnoredViewController().ignoredApplications()), (std::vector<std::string> { "one", "three" }));
}

TEST_F(ApplicationsTest, AnApplicationAlreadyIgnoredIsRefusedWithAnAlert)
{
    IgnoredViewController page;
    AppListViewController picker;
    page.didSelectApplicationWithInfo(picker, app("one"));
    settle();
    page.didSelectApplicationWithInfo(picker, app("one"));
    settle();

    EXPECT_EQ(page.ignoredApplications().size(), 1u);
    EXPECT_EQ(storedIgnored()->count(), 1u);
    EXPECT_EQ(reloads, 1);
    const auto alerts = UIAlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->title(), "Error");
    EXPECT_EQ(alerts[0]->message(), "That application is already being ignored! You can't ignore it twice!");
}

} // namespace

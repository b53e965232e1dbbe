#include "CrossProcessChannels.h"
#include "HelpViewController.h"
#include "PSControllerRegistry.h"
#include "TemporaryDeviceRoot.h"
#include "UIApplication.h"
#include "UILabel.h"
#include "UITableViewCell.h"
#include "VPSettingsController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

std::shared_ptr<VPInformationPage> makePage(const std::string& className)
{
    return std::dynamic_pointer_cast<VPInformationPage>(PSControllerRegistry::shared().createControllerOfClass(className));
}

TEST(InformationPages, EachLinkRowOpensItsOwnPageAndTextRowsNone)
{
    TemporaryDeviceRoot device;
    struct Case {
        const char* className;
        const char* title;
        std::vector<int> rowsPerSection;
        std::size_t links;
    };
    const std::vector<Case> cases {
        { "AboutViewController", "About", { 1, 1, 2, 4, 2 }, 8 },
        { "ExplanationViewController", "More Info", { 1, 1, 1 }, 0 },
        { "HelpViewController", "Help", { 1, 1, 1 }, 1 },
    };
    auto& application = *UIApplication::sharedApplication();
    for (const auto& [className, title, rowsPerSection, links] : cases) {
        SCOPED_TRACE(className);
        const auto page = makePage(className);
        ASSERT_NE(page, nullptr);
        page->view();
        EXPECT_EQ(page->title(), title);
        UITableView& table = *page->table();
        ASSERT_EQ(page->numberOfSectionsInTableView(table), static_cast<int>(rowsPerSection.size()));
        const auto openedBefore = application.requestedURLs().size();
        for (int section = 0; section < static_cast<int>(rowsPerSection.size()); ++section) {
            ASSERT_EQ(page->numberOfRowsInSection(table, section), rowsPerSection[static_cast<std::size_t>(section)]);
            for (int row = 0; row < rowsPerSection[static_cast<std::size_t>(section)]; ++row) {
                page->didSelectRowAtIndexPath(table, NSIndexPath::indexPathForRowInSection(row, section));
            }
        }
        const auto opened = application.requestedURLs();
        const std::set<std::string> distinct(opened.begin() + static_cast<long>(openedBefore), opened.end());
        EXPECT_EQ(opened.size() - openedBefore, links);
        EXPECT_EQ(distinct.size(), links);
    }
}

TEST(InformationPages, HelpNamesTheRootPagesGestureRowAndEveryRootLinkOpensAPage)
{
    CrossProcessChannels::useLoopback();
    TemporaryDeviceRoot device;
    const std::string bundle = "/System/Library/PreferenceBundles/VantlePro.bundle";
    device.createDirectory(bundle);
    std::filesystem::copy_file(std::filesystem::path(VANTLE_SETTINGS_SPECIFIERS_DIR) / "VantlePro.plist",
                               device.hostPath(bundle + "/VantlePro.plist"));
    VPSettingsController root;
    root.setBundlePath(bundle);
    std::set<std::string> labels;
    for (const auto& specifier : root.specifiers()) {
        labels.insert(specifier->name());
        if (const auto detail = specifier->stringPropertyForKey(PSSpecifier::kDetail); detail && specifier->cellType() == PSCellType::Link) {
            SCOPED_TRACE(*detail);
            EXPECT_NE(PSControllerRegistry::shared().createControllerOfClass(*detail), nullptr);
        }
    }
    EXPECT_TRUE(labels.contains("Select Gesture"));

    HelpViewController help;
    help.view();
    const auto cell = help.cellForRowAtIndexPath(*help.table(), NSIndexPath::indexPathForRowInSection(0, 1));
    EXPECT_NE(cell->detailTextLabel()->text().find("\"Select Gesture\""), std::string::npos);
}

} // namespace

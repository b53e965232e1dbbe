#include "ExtrasList.h"
#include "NSNumber.h"
#include "NSString.h"
#include "TemporaryDeviceRoot.h"
#include "UIApplication.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

class PluginCatalogueTest : public ::testing::Test {
protected:
    PluginCatalogueTest() { device.createDirectory(ExtrasList::kFolder); }

    void write(const std::string& name, const std::string& contents) const
    {
        std::ofstream(device.hostPath(std::string(ExtrasList::kFolder) + "/" + name)) << contents;
    }
    void describe(const std::string& file, const std::string& identifier, const std::string& title, const std::string& developer) const
    {
        write(file, "<plist version=\"1.0\"><dict><key>Identifier</key><string>" + identifier +
                        "</string><key>Title</key><string>" + title + "</string><key>Developer</key><string>" +
                        developer + "</string></dict></plist>");
    }
    static std::vector<std::string> titles(const std::vector<std::shared_ptr<NSDictionary>>& descriptions)
    {
        std::vector<std::string> result;
        for (const auto& description : descriptions) {
            result.push_back(description->stringForKey("Title").value_or(""));
        }
        return result;
    }

    TemporaryDeviceRoot device;
};

TEST_F(PluginCatalogueTest, DescriptionsAreListedByDeveloperAndMalformedFilesSkipped)
{
    ExtrasList page;
    page.view();
    page.viewWillAppear(false);
    EXPECT_EQ(page.numberOfSectionsInTableView(*page.table()), 1);

    describe("b.plist", "net.torvask.weather", "Weather", "Vantle");
    describe("a.plist", "com.other.tweeter", "Tweeter", "Other Dev");
    describe("c.txt", "com.other.text", "Not A Description", "Vantle");
    write("d.plist", "<plist><dict><key>Title</key>");
    write("e.plist", "<plist version=\"1.0\"><array><string>Vantle</string></array></plist>");
    page.viewWillAppear(false);

    EXPECT_EQ(titles(page.firstParty()), std::vector<std::string> { "Weather" });
    EXPECT_EQ(titles(page.thirdParty()), std::vector<std::string> { "Tweeter" });
    UITableView& table = *page.table();
    EXPECT_EQ(page.numberOfSectionsInTableView(table), 2);
    EXPECT_EQ(page.titleForHeaderInSection(table, 1), "Third-party Plug-ins");

    page.didSelectRowAtIndexPath(table, NSIndexPath::indexPathForRowInSection(0, 1));
    ASSERT_FALSE(UIApplication::sharedApplication()->requestedURLs().empty());
    EXPECT_EQ(UIApplication::sharedApplication()->requestedURLs().back(), "cydia://package/com.other.tweeter");
}

TEST_F(PluginCatalogueTest, PricesShowAsFreeOrInDollars)
{
    struct Case {
        id price;
        const char* tag;
    };
    const std::vector<Case> cases {
        { nullptr, "FREE" },
        { NSNumber::numberWithInteger(0), "FREE" },
        { NSString::stringWithString("not a number"), "FREE" },
        { NSNumber::numberWithDouble(1.5), "$1.50" },
        { NSNumber::numberWithDouble(0.99), "$0.99" },
        { NSString::stringWithString("2.5"), "$2.50" },
    };
    for (const auto& [price, tag] : cases) {
        NSDictionary::Entries entries;
        if (price) {
            entries.emplace("Price", price);
        }
        EXPECT_EQ(ExtrasList::priceTag(NSDictionary(entries)), tag);
    }
}

TEST_F(PluginCatalogueTest, AnIconIsLookedUpOnlyInsideTheFolder)
{
    write("Weather.png", "icon");
    device.createDirectory("/var/mobile/Library/Vantle/Elsewhere");
    std::ofstream(device.hostPath("/var/mobile/Library/Vantle/Elsewhere/Icon.png")) << "icon";
    const ExtrasList page;
    const std::string folder = ExtrasList::kFolder;
    struct Case {
        const char* title;
        std::string icon;
    };
    for (const auto& [title, icon] : { Case { "Weather", folder + "/Weather.png" }, Case { "Missing", folder + "/DefaultIcon.png" },
                                       Case { "../Elsewhere/Icon", folder + "/DefaultIcon.png" },
                                       Case { "..", folder + "/DefaultIcon.png" } }) {
        SCOPED_TRACE(title);
        EXPECT_EQ(page.iconPath(NSDictionary({ { "Title", NSString::stringWithString(title) } })), icon);
    }
}

} // namespace

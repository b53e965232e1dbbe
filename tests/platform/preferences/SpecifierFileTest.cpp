#include "NSFileManager.h"
#include "PSSpecifierFile.h"
#include "TemporaryDeviceRoot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

std::string plist(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\">" + body + "</plist>";
}

std::string items(const std::string& body)
{
    return plist("<dict><key>title</key><string>Page</string><key>items</key><array>" + body + "</array></dict>");
}

std::string nested(int depth)
{
    std::string text;
    for (int level = 0; level < depth; ++level) {
        text += "<array>";
    }
    for (int level = 0; level < depth; ++level) {
        text += "</array>";
    }
    return text;
}

std::string manySwitches(std::size_t count)
{
    std::string body;
    for (std::size_t index = 0; index < count; ++index) {
        body += "<dict><key>cell</key><string>PSSwitchCell</string></dict>";
    }
    return items(body);
}

// "<type>:<label>" for each specifier, "title=<title>" first when the page has one.
std::vector<std::string> describe(const PSSpecifierFile::Page& page)
{
    std::vector<std::string> lines;
    if (page.title) {
        lines.push_back("title=" + *page.title);
    }
    for (const auto& specifier : page.specifiers) {
        lines.push_back(std::to_string(static_cast<int>(specifier->cellType())) + ":" + specifier->name());
    }
    return lines;
}

struct Case {
    const char* name;
    std::string contents;
    std::vector<std::string> expected;
};

TEST(SpecifierFile, KeepsWhatFitsAndSkipsTheRestItemByItem)
{
    const std::string choices = "<key>validTitles</key><array><string>A</string><string>B</string></array>";
    const std::vector<Case> cases{
        {"every supported cell",
         items("<dict><key>cell</key><string>PSGroupCell</string><key>label</key><string>G</string></dict>"
               "<dict><key>cell</key><string>PSSwitchCell</string><key>label</key><string>S</string></dict>"
               "<dict><key>cell</key><string>PSLinkListCell</string><key>label</key><string>L</string>" + choices +
               "<key>validValues</key><array><integer>0</integer><string>b</string></array></dict>"
               "<dict><key>cell</key><string>PSEditTextCell</string><key>label</key><string>E</string></dict>"
               "<dict><key>cell</key><string>PSLinkCell</string><key>label</key><string>K</string></dict>"
               "<dict><key>cell</key><string>PSButtonCell</string><key>label</key><string>B</string></dict>"),
         {"title=Page", "0:G", "6:S", "2:L", "8:E", "1:K", "13:B"}},
        {"not a dictionary", plist("<array><string>PSSwitchCell</string></array>"), {}},
        {"items not an array", plist("<dict><key>title</key><string>T</string><key>items</key><string>x</string></dict>"),
         {"title=T"}},
        {"a title of another type", plist("<dict><key>title</key><integer>3</integer></dict>"), {}},
        {"items that are not rows",
         items("<string>PSSwitchCell</string><dict><key>label</key><string>no cell</string></dict>"
               "<dict><key>cell</key><integer>6</integer></dict>"
               "<dict><key>cell</key><string>PSUnknownCell</string></dict>"
               "<dict><key>cell</key><string>PSSwitchCell</string><key>label</key><array/></dict>"),
         {"title=Page", "6:"}},
        {"choices that do not pair up",
         items("<dict><key>cell</key><string>PSLinkListCell</string><key>label</key><string>fewer values</string>" +
               choices + "<key>validValues</key><array><string>a</string></array></dict>"
               "<dict><key>cell</key><string>PSLinkListCell</string><key>label</key><string>nested value</string>" +
               choices + "<key>validValues</key><array><string>a</string><dict/></array></dict>"
               "<dict><key>cell</key><string>PSLinkListCell</string><key>label</key><string>no choices</string></dict>"),
         {"title=Page"}},
        {"nested too deep", items("<dict><key>cell</key><string>PSSwitchCell</string><key>x</key>" + nested(100) + "</dict>"),
         {}},
        {"larger than a specifier file", items(std::string(2 * 1024 * 1024, ' ')), {}},
        {"not a property list", "not a property list", {}},
    };
    TemporaryDeviceRoot device;
    device.createDirectory("/pages");
    for (const Case& test : cases) {
        std::ofstream(device.hostPath("/pages/page.plist"), std::ios::trunc) << test.contents;
        const auto page = PSSpecifierFile::load("/pages/page.plist", nullptr, NSFileManager::defaultManager());
        EXPECT_EQ(describe(page), test.expected) << test.name;
    }
}

TEST(SpecifierFile, StopsAtTheItemLimit)
{
    TemporaryDeviceRoot device;
    device.createDirectory("/pages");
    std::ofstream(device.hostPath("/pages/page.plist")) << manySwitches(PSSpecifierFile::kMaxItems + 5);
    const auto page = PSSpecifierFile::load("/pages/page.plist", nullptr, NSFileManager::defaultManager());
    EXPECT_EQ(page.specifiers.size(), PSSpecifierFile::kMaxItems);
}

} // namespace

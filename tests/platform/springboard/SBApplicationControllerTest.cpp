// The installed applications and their icons, as scanned from the device root.
#include "SBApplicationController.h"
#include "SBIconModel.h"
#include "ShellTestDevice.h"
#include "UIImage.h"
#include "UIScreen.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::vector<std::string> identifiersOf(const std::vector<std::shared_ptr<SBApplication>>& applications)
{
    std::vector<std::string> identifiers;
    for (const auto& application : applications) {
        identifiers.push_back(application->bundleIdentifier());
    }
    return identifiers;
}

class InstalledApplications : public ::testing::Test {
protected:
    ShellTestDevice device;
    SBApplicationController& applications = SBApplicationController::sharedInstance();
};

} // namespace

TEST_F(InstalledApplications, FindsSystemAndUserBundlesAndSkipsBrokenOnes)
{
    device.writeInfo("/var/mobile/Applications/0A1B/Chat.app",
                     "<key>CFBundleIdentifier</key><string>com.example.chat</string>"
                     "<key>CFBundleName</key><string>Chat</string>");
    device.writeFile("/var/mobile/Applications/0A1B/Chat.app/Icon.png", "not a picture");
    device.writeFile("/var/mobile/Applications/2C3D/Broken.app/Info.plist", "<plist><dict><key>CFBundle");
    device.writeInfo("/var/mobile/Applications/4E5F/NoIdentifier.app", "<key>CFBundleName</key><string>X</string>");
    device.writeInfo("/var/mobile/Applications/6A7B/Impostor.app",
                     "<key>CFBundleIdentifier</key><string>com.apple.MobileSMS</string>");
    applications.rescan();

    const auto all = identifiersOf(applications.allApplications());
    EXPECT_EQ(all, (std::vector<std::string>{"com.apple.mobilecal", "com.apple.mobileipod", "com.apple.mobilephone",
                                             "com.apple.MobileSMS", "com.apple.mobiletimer", "com.apple.Preferences",
                                             "com.example.chat"}));
    const auto chat = applications.applicationWithDisplayIdentifier("com.example.chat");
    ASSERT_NE(chat, nullptr);
    EXPECT_EQ(chat->displayName(), "Chat") << "the bundle name stands in for a missing display name";
    EXPECT_EQ(applications.applicationWithDisplayIdentifier("com.apple.MobileSMS")->path(),
              "/Applications/MobileSMS.app") << "the system's bundle wins an identifier claimed twice";
    EXPECT_EQ(SBIconModel::sharedInstance().applicationIconForDisplayIdentifier("com.example.chat")->getIconImage(0),
              nullptr) << "an icon that is not a PNG reads as none";
    EXPECT_EQ(SBIconModel::sharedInstance().applicationIconForDisplayIdentifier("no.such.app"), nullptr);
}

TEST_F(InstalledApplications, AnApplicationInstalledAfterTheScanIsFoundWhenAskedFor)
{
    ASSERT_EQ(applications.applicationWithDisplayIdentifier("com.example.late"), nullptr);
    device.writeInfo("/var/mobile/Applications/9999/Late.app",
                     "<key>CFBundleIdentifier</key><string>com.example.late</string>"
                     "<key>CFBundleDisplayName</key><string>Late</string>");
    const auto late = applications.applicationWithDisplayIdentifier("com.example.late");
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(late->displayName(), "Late");
}

TEST_F(InstalledApplications, IconFormatZeroIsTheSmallIconAndOthersTheHomeScreenIcon)
{
    const auto icon = SBIconModel::sharedInstance().applicationIconForDisplayIdentifier("com.apple.mobilecal");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->displayName(), "Calendar");
    const auto small = icon->getIconImage(0);
    const auto large = icon->getIconImage(1);
    ASSERT_NE(small, nullptr);
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(small->size().width, 29);
    EXPECT_EQ(large->size().width, 57);

    ASSERT_TRUE(UIScreen::mainScreen()->setScale(2));
    const auto sharp = icon->getIconImage(0);
    UIScreen::mainScreen()->setScale(1);
    ASSERT_NE(sharp, nullptr);
    EXPECT_EQ(sharp->pixelWidth(), 58) << "a double-resolution screen reads the @2x file";
    EXPECT_EQ(sharp->size().width, 29);

    device.writeInfo("/var/mobile/Applications/1111/Plain.app",
                     "<key>CFBundleIdentifier</key><string>com.example.plain</string>"
                     "<key>CFBundleIconFile</key><string>Art</string>");
    std::filesystem::copy_file(device.hostPath("/Applications/MobileSMS.app/Icon.png"),
                               device.hostPath("/var/mobile/Applications/1111/Plain.app/Art.png"));
    const auto plain = SBIconModel::sharedInstance().applicationIconForDisplayIdentifier("com.example.plain");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->displayName(), "Plain") << "the folder's name when the bundle names nothing";
    ASSERT_NE(plain->getIconImage(0), nullptr) << "without a small icon, the home-screen icon";
    EXPECT_EQ(plain->getIconImage(0)->size().width, 57);
}

TEST_F(InstalledApplications, ABundleAddedToOrRemovedFromAScannedContainerIsSeenWhenAskedFor)
{
    device.writeInfo("/var/mobile/Applications/1234/First.app",
                     "<key>CFBundleIdentifier</key><string>com.example.first</string>");
    ASSERT_NE(applications.applicationWithDisplayIdentifier("com.example.first"), nullptr);

    device.writeInfo("/var/mobile/Applications/1234/Second.app",
                     "<key>CFBundleIdentifier</key><string>com.example.second</string>");
    EXPECT_NE(applications.applicationWithDisplayIdentifier("com.example.second"), nullptr);

    std::filesystem::remove_all(device.hostPath("/var/mobile/Applications/1234/First.app"));
    EXPECT_EQ(applications.applicationWithDisplayIdentifier("com.example.first"), nullptr);
}

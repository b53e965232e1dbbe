// The install step: a device root gets its layout and the build's files, a second run changes nothing,
// an upgrade replaces only what the tool itself put there, and the user's files always survive.
#include "DeviceInstaller.h"
#include "DeviceRoot.h"
#include "InstallManifest.h"
#include "NSArray.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSString.h"
#include "TemporaryDeviceRoot.h"
#include "ToolRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace fs = std::filesystem;
using Action = InstallReport::Action;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// A small payload of its own, in a folder beside the device root, so a test can change it between runs.
class Payload {
public:
    explicit Payload(const fs::path& folder) : folder_(folder) {}
    ~Payload() { fs::remove_all(folder_); }
    Payload(const Payload&) = delete;
    Payload& operator=(const Payload&) = delete;
    void put(const std::string& devicePath, const std::string& bytes) { writeFile(folder_ / devicePath.substr(1), bytes); }
    const fs::path& folder() const { return folder_; }

private:
    fs::path folder_;
};

ToolRun runTool(const std::string& arguments)
{
    return ToolRun::of(VANTLE_DEVICE_TOOL, arguments);
}

} // namespace

TEST(DeviceInstaller, InstallsTheLayoutAndArtworkOnceAndKeepsTheUsersFiles)
{
    TemporaryDeviceRoot root;
    const DeviceInstaller installer{fs::path(VANTLE_ARTWORK_DIR)};

    const InstallReport first = installer.install();
    ASSERT_TRUE(first.succeeded()) << first.problems().front().path << ": " << first.problems().front().reason;
    for (const std::string& folder : DeviceInstaller::layoutFolders()) {
        EXPECT_TRUE(fs::is_directory(root.hostPath(folder))) << folder;
    }
    for (const char* file : {"/var/mobile/Library/Vantle/Images/TopCap.png",
                             "/var/mobile/Library/Vantle/Images/TopCap@2x.png",
                             "/var/mobile/Library/Vantle/Images/BottomCap480@2x.png",
                             "/var/mobile/Library/Vantle/Plugins Info/DefaultIcon.png",
                             "/System/Library/PreferenceBundles/VantlePro.bundle/IconBig.png",
                             "/Applications/Vantle.app/ActionShadow.png",
                             "/Applications/MobileMusicPlayer.app/Icon-Small-AudioPlayer.png",
                             "/Applications/MobileSMS.app/Info.plist", "/Applications/Preferences.app/Icon.png"}) {
        EXPECT_TRUE(fs::is_regular_file(root.hostPath(file))) << file;
    }
    EXPECT_EQ(readFile(root.hostPath("/var/mobile/Library/Vantle/Images/Push.png")),
              readFile(fs::path(VANTLE_ARTWORK_DIR) / "var/mobile/Library/Vantle/Images/Push.png"));
    EXPECT_GT(first.count(Action::Installed), 60u);
    EXPECT_EQ(first.count(Action::Updated) + first.count(Action::Kept) + first.count(Action::Unchanged), 0u);

    // The user's data: a log, preferences, a custom icon, and a picture of the product they redrew.
    const std::string log = "/var/mobile/Library/Vantle/NewNotifications.plist";
    const std::string preferences = "/var/mobile/Library/Preferences/net.torvask.VantlePro.plist";
    const std::string customIcon = "/var/mobile/Library/Vantle/Images/Twitter.png";
    const std::string redrawn = "/var/mobile/Library/Vantle/Images/TopCap.png";
    writeFile(root.hostPath(log), "log");
    writeFile(root.hostPath(preferences), "preferences");
    writeFile(root.hostPath(customIcon), "icon");
    writeFile(root.hostPath(redrawn), "my own top cap");

    const InstallReport second = installer.install();
    EXPECT_TRUE(second.succeeded());
    EXPECT_EQ(second.count(Action::CreatedRoot) + second.count(Action::CreatedFolder), 0u);
    EXPECT_EQ(second.count(Action::Installed) + second.count(Action::Updated), 0u);
    EXPECT_THAT(second.paths(Action::Kept), ElementsAre(redrawn));
    EXPECT_EQ(second.count(Action::Unchanged), first.count(Action::Installed) - 1);
    EXPECT_EQ(readFile(root.hostPath(log)), "log");
    EXPECT_EQ(readFile(root.hostPath(preferences)), "preferences");
    EXPECT_EQ(readFile(root.hostPath(customIcon)), "icon");
    EXPECT_EQ(readFile(root.hostPath(redrawn)), "my own top cap");
}

TEST(DeviceInstaller, UpgradeReplacesOnlyFilesStillAsTheToolLeftThem)
{
    TemporaryDeviceRoot root;
    Payload payload(root.path().parent_path() / (root.path().filename().string() + "-payload"));
    const std::string ours = "/var/mobile/Library/Vantle/Images/A.png";
    const std::string edited = "/var/mobile/Library/Vantle/Images/B.png";
    const std::string deleted = "/var/mobile/Library/Vantle/Images/C.png";
    const std::string preexisting = "/var/mobile/Library/Vantle/Images/D.png";
    for (const std::string& path : {ours, edited, deleted, preexisting}) {
        payload.put(path, "version 1");
    }
    writeFile(root.hostPath(preexisting), "there before the tool");
    const DeviceInstaller installer{payload.folder()};

    const InstallReport first = installer.install();
    ASSERT_TRUE(first.succeeded());
    EXPECT_THAT(first.paths(Action::Installed), ElementsAre(ours, edited, deleted));
    EXPECT_THAT(first.paths(Action::Kept), ElementsAre(preexisting));

    writeFile(root.hostPath(edited), "the user's");
    fs::remove(root.hostPath(deleted));
    for (const std::string& path : {ours, edited, deleted, preexisting}) {
        payload.put(path, "version 2");
    }
    const InstallReport upgrade = installer.install();
    ASSERT_TRUE(upgrade.succeeded());
    EXPECT_THAT(upgrade.paths(Action::Updated), ElementsAre(ours));
    EXPECT_THAT(upgrade.paths(Action::Installed), ElementsAre(deleted));
    EXPECT_THAT(upgrade.paths(Action::Kept), ElementsAre(edited, preexisting));
    EXPECT_EQ(readFile(root.hostPath(ours)), "version 2");
    EXPECT_EQ(readFile(root.hostPath(deleted)), "version 2");
    EXPECT_EQ(readFile(root.hostPath(edited)), "the user's");
    EXPECT_EQ(readFile(root.hostPath(preexisting)), "there before the tool");

    // The user puts the tool's version back by hand: from then on the file is the tool's again.
    writeFile(root.hostPath(edited), "version 2");
    EXPECT_THAT(installer.install().paths(Action::Unchanged), ElementsAre(ours, edited, deleted));
    payload.put(edited, "version 3");
    EXPECT_THAT(installer.install().paths(Action::Updated), ElementsAre(edited));
}

TEST(DeviceInstaller, ReportsEachProblemWithItsPathAndGoesOnWithTheRest)
{
    TemporaryDeviceRoot root;
    Payload payload(root.path().parent_path() / (root.path().filename().string() + "-payload"));
    payload.put("/var/mobile/Library/Vantle/Images/A.png", "a");
    payload.put("/var/mobile/Library/Vantle/Images/B.png", "b");
    fs::create_directories(root.hostPath("/var/mobile/Library/Vantle/Images/A.png"));
    writeFile(root.hostPath("/var/mobile/Library/Preferences"), "a file where a folder belongs");

    const InstallReport report = DeviceInstaller(payload.folder()).install();
    ASSERT_EQ(report.problems().size(), 2u);
    EXPECT_EQ(report.problems()[0].path, root.hostPath("/var/mobile/Library/Preferences"));
    EXPECT_THAT(report.problems()[0].reason, HasSubstr("file is in the way"));
    EXPECT_EQ(report.problems()[1].path, root.hostPath("/var/mobile/Library/Vantle/Images/A.png"));
    EXPECT_THAT(report.problems()[1].reason, HasSubstr("folder is in the way"));
    EXPECT_THAT(report.paths(Action::Installed), ElementsAre("/var/mobile/Library/Vantle/Images/B.png"));

    const InstallReport noPayload = DeviceInstaller(payload.folder() / "missing").install();
    ASSERT_EQ(noPayload.problems().size(), 1u);
    EXPECT_EQ(noPayload.problems()[0].path, payload.folder() / "missing");
    EXPECT_THAT(noPayload.entries(), IsEmpty());
}

TEST(DeviceInstaller, TheTweakLibraryIsAlwaysReplacedAndTheActivatorDefaultIsWrittenOnce)
{
    TemporaryDeviceRoot root;
    Payload payload(root.path().parent_path() / (root.path().filename().string() + "-payload"));
    payload.put("/var/mobile/Library/Vantle/Images/A.png", "a");
    Payload build(root.path().parent_path() / (root.path().filename().string() + "-build"));
    const fs::path library = build.folder() / "libVantle.so";
    writeFile(library, "library 1");
    const DeviceInstaller installer{payload.folder(), library};

    const InstallReport first = installer.install();
    ASSERT_TRUE(first.succeeded());
    EXPECT_THAT(first.paths(Action::Installed),
                ElementsAre(DeviceInstaller::kTweakLibraryPath, DeviceInstaller::kTweakFilterPath,
                            DeviceInstaller::kActivatorAssignmentsPath, "/var/mobile/Library/Vantle/Images/A.png"));
    EXPECT_EQ(readFile(root.hostPath(DeviceInstaller::kTweakLibraryPath)), "library 1");
    const auto filter = NSFileManager::defaultManager().readPropertyListAtPath(DeviceInstaller::kTweakFilterPath).valueAs<NSDictionary>();
    ASSERT_TRUE(filter);
    const auto bundles = filter->objectForKey<NSDictionary>("Filter")->objectForKey<NSArray>("Bundles");
    ASSERT_TRUE(bundles);
    ASSERT_EQ(bundles->count(), 1u);
    EXPECT_EQ(as<NSString>(bundles->objectAtIndex(0))->string(), "com.apple.springboard");
    const auto assignments = NSFileManager::defaultManager().readPropertyListAtPath(DeviceInstaller::kActivatorAssignmentsPath).valueAs<NSDictionary>();
    ASSERT_TRUE(assignments);
    EXPECT_EQ(assignments->stringForKey("libactivator.statusbar.swipe.down"), "net.torvask.Vantle");

    // A library changed on the device is build output all the same; the user's assignments are theirs.
    writeFile(root.hostPath(DeviceInstaller::kTweakLibraryPath), "patched by hand");
    writeFile(root.hostPath(DeviceInstaller::kActivatorAssignmentsPath), "the user's gestures");
    const InstallReport second = installer.install();
    EXPECT_THAT(second.paths(Action::Updated), ElementsAre(DeviceInstaller::kTweakLibraryPath));
    EXPECT_THAT(second.paths(Action::Kept), ElementsAre(DeviceInstaller::kActivatorAssignmentsPath));
    EXPECT_EQ(readFile(root.hostPath(DeviceInstaller::kTweakLibraryPath)), "library 1");
    EXPECT_EQ(readFile(root.hostPath(DeviceInstaller::kActivatorAssignmentsPath)), "the user's gestures");

    // A new build replaces the library; an assignment file the user removed stays removed.
    writeFile(library, "library 2");
    fs::remove(root.hostPath(DeviceInstaller::kActivatorAssignmentsPath));
    const InstallReport third = installer.install();
    EXPECT_THAT(third.paths(Action::Updated), ElementsAre(DeviceInstaller::kTweakLibraryPath));
    EXPECT_THAT(third.paths(Action::Installed), IsEmpty());
    EXPECT_EQ(readFile(root.hostPath(DeviceInstaller::kTweakLibraryPath)), "library 2");
    EXPECT_FALSE(fs::exists(root.hostPath(DeviceInstaller::kActivatorAssignmentsPath)));

    const InstallReport unbuilt = DeviceInstaller(payload.folder(), build.folder() / "missing.so").install();
    ASSERT_EQ(unbuilt.problems().size(), 1u);
    EXPECT_THAT(unbuilt.problems()[0].reason, HasSubstr("build the Vantle target"));
}

TEST(DeviceInstaller, StagedPreferenceBundlesAreInstalledAsBuildOutput)
{
    TemporaryDeviceRoot root;
    Payload payload(root.path().parent_path() / (root.path().filename().string() + "-payload"));
    payload.put("/var/mobile/Library/Vantle/Images/A.png", "a");
    Payload staged(root.path().parent_path() / (root.path().filename().string() + "-bundles"));
    const std::string library = "/System/Library/PreferenceBundles/VantlePro.bundle/VantlePro";
    const std::string entry = "/Library/PreferenceLoader/Preferences/VantlePro.plist";
    staged.put(library, "bundle 1");
    staged.put(entry, "entry");
    const DeviceInstaller installer{payload.folder(), std::nullopt, staged.folder()};

    const InstallReport first = installer.install();
    ASSERT_TRUE(first.succeeded());
    EXPECT_THAT(first.paths(Action::Installed), ElementsAre(entry, library, "/var/mobile/Library/Vantle/Images/A.png"));

    writeFile(root.hostPath(library), "patched by hand");
    const InstallReport second = installer.install();
    EXPECT_THAT(second.paths(Action::Updated), ElementsAre(library));
    EXPECT_EQ(readFile(root.hostPath(library)), "bundle 1");

    const InstallReport unbuilt = DeviceInstaller(payload.folder(), std::nullopt, staged.folder() / "none").install();
    EXPECT_TRUE(unbuilt.succeeded()) << "no bundle built yet is no problem";
}

TEST(DeviceInstaller, ManifestHashTellsContentsApart)
{
    EXPECT_EQ(InstallManifest::contentHash(""), "cbf29ce484222325");
    EXPECT_EQ(InstallManifest::contentHash("a"), "af63dc4c8601ec8c");
    EXPECT_NE(InstallManifest::contentHash("ab"), InstallManifest::contentHash("ba"));
}

TEST(VantleDeviceTool, InstallsPrintsWhatItDidAndReportsErrorsOnStderr)
{
    TemporaryDeviceRoot root;
    const fs::path target = root.path() / "device";

    const ToolRun help = runTool("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.all(), HasSubstr("install"));
    const ToolRun installHelp = runTool("install --help");
    EXPECT_EQ(installHelp.status, 0);
    EXPECT_THAT(installHelp.all(), HasSubstr("--root"));

    const ToolRun first = runTool("install --root '" + target.string() + "'");
    EXPECT_EQ(first.status, 0) << first.all();
    EXPECT_THAT(first.all(), HasSubstr("Device root: " + target.string() + " (new)"));
    EXPECT_THAT(first.all(), HasSubstr("installed /var/mobile/Library/Vantle/Images/TopCap.png"));
    EXPECT_TRUE(fs::is_regular_file(target / "Applications/MobileTimer.app/Info.plist"));
    EXPECT_TRUE(fs::is_regular_file(target / "Library/MobileSubstrate/DynamicLibraries/Vantle.dylib"));
    const ToolRun second = runTool("install --root '" + target.string() + "'");
    EXPECT_EQ(second.status, 0);
    EXPECT_THAT(second.all(), HasSubstr("Done: 0 installed, 0 updated"));

    writeFile(root.path() / "plain-file", "x");
    const ToolRun blocked = runTool("install --root '" + (root.path() / "plain-file").string() + "'");
    EXPECT_EQ(blocked.status, 1);
    EXPECT_THAT(blocked.all(),
                HasSubstr("vantle-device: " + (root.path() / "plain-file").string() + ": exists and is not a folder"));
    EXPECT_NE(runTool("frobnicate").status, 0);
}

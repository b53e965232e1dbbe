// The application services a plug-in and the panel use for records: redirections and record icons.
#include "LogTestSupport.h"
#include "DSDisplayController.h"
#include "LaunchAction.h"
#include "ObjCClass.h"
#include "NSData.h"
#include "NSNumber.h"
#include "SpringBoard-Vantle.h"
#include "UIImage-Retina.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace logtest;
namespace fs = std::filesystem;

namespace {

constexpr const char* kImages = "/var/mobile/Library/Vantle/Images/";

// Copies a picture of the build's artwork to a device path of the current root.
void installArtwork(const TemporaryDeviceRoot& root, const std::string& artworkPath, const std::string& devicePath)
{
    const fs::path target = root.hostPath(devicePath);
    fs::create_directories(target.parent_path());
    fs::copy_file(fs::path(VANTLE_ARTWORK_DIR) / artworkPath.substr(1), target);
}

std::shared_ptr<NSDictionary> iconRecord(const id& application, const std::string& bundleIdentifier = {})
{
    NSDictionary::Entries entries {{"Application", application}};
    if (!bundleIdentifier.empty()) {
        entries.emplace("Bundle Identifier", string(bundleIdentifier));
    }
    return NSDictionary::dictionaryWithEntries(std::move(entries));
}

// The image is the picture at the device path, pixel for pixel.
bool isPicture(const std::shared_ptr<UIImage>& image, const std::string& devicePath)
{
    const auto expected = UIImage::imageWithContentsOfFile(devicePath);
    return image && expected && image->pngRepresentation()->isEqual(*expected->pngRepresentation());
}

} // namespace

class ApplicationServices : public LogFixture {
protected:
    ApplicationServices() { UIImageRetina::resetScreenTestForTesting(); }
    void useSettings(NSDictionary::Entries entries)
    {
        writePreferences(std::move(entries));
        PLWriter::reloadSettings();
    }
};

TEST_F(ApplicationServices, RedirectionsAnswerTheExactKeyForNamesAndIdentifiersAlike)
{
    EXPECT_FALSE(UIApplicationVantle::redirection("Mail")); // nothing loaded
    useSettings({{"Redirections",
        NSDictionary::dictionaryWithEntries({{"Mail", string("com.example.newmail")},
            {"com.apple.MobileSMS", string("com.example.chat")}, {"Odd", NSNumber::numberWithInteger(3)}})}});
    EXPECT_EQ(UIApplicationVantle::redirectedAppIdentifierForApplicationName("Mail"), "com.example.newmail");
    EXPECT_EQ(UIApplicationVantle::redirectedAppIdentifierForApplicationIdentifier("com.apple.MobileSMS"),
        "com.example.chat");
    EXPECT_EQ(UIApplicationVantle::redirection("com.apple.MobileSMS"), "com.example.chat");
    EXPECT_FALSE(UIApplicationVantle::redirection("mail"));
    EXPECT_FALSE(UIApplicationVantle::redirection("Odd"));
}

TEST_F(ApplicationServices, CustomIconsComeFromTheFolderByNameWithPushAsFallback)
{
    installArtwork(root, "/var/mobile/Library/Vantle/Images/Messages.png", std::string(kImages) + "Messages.png");
    installArtwork(root, "/var/mobile/Library/Vantle/Images/Push.png", std::string(kImages) + "Push.png");
    // A picture outside the folder that a crafted name would reach.
    installArtwork(root, "/var/mobile/Library/Vantle/Images/Clock.png", "/var/mobile/Library/Vantle/Secret.png");
    installArtwork(root, "/var/mobile/Library/Vantle/Images/Clock.png", "/var/mobile/Library/Vantle/...png");
    const std::string push = std::string(kImages) + "Push.png";

    struct Case {
        id application;
        std::string bundleIdentifier;
        std::string expected;
    };
    const Case cases[] = {
        {string("Messages"), "com.apple.MobileSMS", std::string(kImages) + "Messages.png"},
        {string("Unknown"), "com.example.unknown", push},
        {string("../Secret"), "", push},
        {string(".."), "", push},
        {NSNumber::numberWithInteger(4), "", push},
    };
    for (const bool customIcons : {true, false}) {
        useSettings({{"Custom Icons", NSNumber::numberWithBool(customIcons)}});
        for (const auto& c : cases) {
            if (!customIcons && !c.bundleIdentifier.empty()) {
                continue; // the shell's icon
            }
            SCOPED_TRACE(c.application->description());
            EXPECT_TRUE(isPicture(
                UIApplicationVantle::iconForNotification(*iconRecord(c.application, c.bundleIdentifier)), c.expected));
        }
    }
    fs::remove(root.hostPath(push));
    EXPECT_FALSE(UIApplicationVantle::iconForNotification(*iconRecord(string("Unknown"))));
}

TEST_F(ApplicationServices, WithoutCustomIconsApplicationsHaveTheShellsIconAndMusicItsPlayersSmallIcon)
{
    for (const char* file : {"Info.plist", "Icon.png", "Icon-Small.png", "Icon-Small-AudioPlayer.png"}) {
        const std::string path = std::string("/Applications/MobileMusicPlayer.app/") + file;
        installArtwork(root, path, path);
    }
    for (const char* file : {"Info.plist", "Icon.png", "Icon-Small.png"}) {
        const std::string path = std::string("/Applications/MobileCal.app/") + file;
        installArtwork(root, path, path);
    }
    useSettings({{"Custom Icons", NSNumber::numberWithBool(false)}});

    EXPECT_TRUE(
        isPicture(UIApplicationVantle::iconForNotification(*iconRecord(string("Music"), "com.apple.mobileipod")),
            "/Applications/MobileMusicPlayer.app/Icon-Small-AudioPlayer.png"));
    EXPECT_TRUE(
        isPicture(UIApplicationVantle::iconForNotification(*iconRecord(string("Calendar"), "com.apple.mobilecal")),
            "/Applications/MobileCal.app/Icon-Small.png"));
    EXPECT_FALSE(UIApplicationVantle::iconForNotification(*iconRecord(string("Gone"), "com.example.gone")));
}

namespace {

std::shared_ptr<NSDictionary> launchRecord(const std::string& application, const std::string& bundleIdentifier,
                                           const id& action)
{
    auto record = makeRecord(application, "body", bundleIdentifier);
    auto entries = record->entries();
    if (action) {
        entries.emplace("Action", action);
    }
    return NSDictionary::dictionaryWithEntries(std::move(entries));
}

std::optional<std::string> lastActivation(std::size_t before)
{
    const auto activations = DSDisplayController::sharedInstance().activations();
    if (activations.size() == before) {
        return std::nullopt;
    }
    return activations.back().displayIdentifier;
}

} // namespace

TEST_F(ApplicationServices, ALaunchPrefersTheRedirectionThenTheActionThenTheBundleIdentifier)
{
    useSettings({{"Redirections", NSDictionary::dictionaryWithEntries({{"Messages", string("com.example.byname")},
                                                                       {"com.apple.MobileSMS", string("com.example.byid")},
                                                                       {"com.example.only", string("com.example.target")}})}});
    const auto phone = LaunchAction::actionWithType(LaunchAction::Application, string("com.apple.mobilephone"));
    const auto message = LaunchAction::actionWithType(LaunchAction::Message, string("com.apple.MobileSMS"));
    struct Case {
        std::shared_ptr<NSDictionary> record;
        std::optional<std::string> opened;
    };
    const std::vector<Case> cases = {
        {launchRecord("Messages", "com.apple.MobileSMS", phone), "com.example.byname"},
        {launchRecord("Other", "com.example.only", phone), "com.example.target"},
        {launchRecord("Phone", "com.example.caller", phone), "com.apple.mobilephone"},
        {launchRecord("Texts", "com.example.texts", message), "com.example.texts"},
        {launchRecord("Battery", "", nullptr), std::nullopt},
    };
    for (const auto& c : cases) {
        const auto before = DSDisplayController::sharedInstance().activations().size();
        UIApplicationVantle::handleLaunchActionForNotification(*c.record);
        EXPECT_EQ(lastActivation(before), c.opened) << c.record->stringForKey("Application").value_or("");
    }
}

TEST_F(ApplicationServices, APlugInInTheShellReachesTheServicesByNameThroughTheApplicationObject)
{
    UIApplicationVantle::registerCategoryMethods();
    const ObjCClass& application = *ObjCClass::lookUp("UIApplication");
    const auto shared = UIApplication::sharedApplication();
    using Register = bool(const std::shared_ptr<UIApplication>&, const id&);
    EXPECT_FALSE(application.send<Register>("registerNotification:", shared, string("not a record")));
    EXPECT_TRUE(application.send<Register>("registerNotification:", shared, makeRecord("Weather", "Rain at 5")));
    drain();
    EXPECT_EQ(bodies(readLog(PLWriter::kNewNotificationsPath)), std::vector<std::string>{"Rain at 5"});

    using SetFlag = void(const std::shared_ptr<UIApplication>&, bool);
    application.send<SetFlag>("setHideLockscreenAlerts:", shared, false);
    EXPECT_FALSE(PLWriter::overridenLockscreen());
    application.send<SetFlag>("setHideLockscreenAlerts:", shared, true);
    EXPECT_TRUE(PLWriter::overridenLockscreen());

    using Delete = bool(const std::shared_ptr<UIApplication>&, const std::shared_ptr<NSDictionary>&);
    EXPECT_TRUE(application.send<Delete>("deleteNotification:", shared, makeRecord("Weather", "Rain at 5")));
    EXPECT_EQ(bodies(readLog(PLWriter::kNewNotificationsPath)).size(), 1u) << "deleting removes nothing";
}

TEST_F(ApplicationServices, ARecordNoFileCanHoldIsRefusedWithItsReasonBeforeItIsTakenByEveryWayIn)
{
    const auto unholdable = makeRecord("Weather", "never", {}, std::nan(""));
    std::vector<std::string> refusals;
    const auto reply = [&refusals] {
        return CPMessageReply([&refusals](const std::optional<CPMessagingError>& error) {
            refusals.push_back(error ? error->reason() : "taken");
        });
    };

    EXPECT_FALSE(UIApplicationVantle::registerNotification(unholdable, reply())) << "a plug-in in the shell";
    PLWriter::sharedListener()->receiveNotificationNamed(PLWriter::kNewNotificationMessage, unholdable, reply());
    PLWriter::write(unholdable, reply()); // as the capture does
    drain();
    ASSERT_EQ(refusals.size(), 3u);
    for (const auto& refusal : refusals) {
        EXPECT_EQ(refusal.rfind("cannot log the record: ", 0), 0u) << refusal;
    }
    EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(PLWriter::kNewNotificationsPath));

    EXPECT_TRUE(UIApplicationVantle::registerNotification(makeRecord("Weather", "Rain at 5"), reply()));
    drain();
    EXPECT_EQ(bodies(readLog(PLWriter::kNewNotificationsPath)), std::vector<std::string>{"Rain at 5"})
        << "the store goes on";
}

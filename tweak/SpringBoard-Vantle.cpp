#include "SpringBoard-Vantle.h"

#include "NSDictionary-Vantle.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSLog.h"
#include "NSString.h"
#include "NSThread.h"
#include "PLWriter.h"
#include "SBIconModel.h"
#include "UIImage-Retina.h"
#include "DSDisplayController.h"
#include "LaunchAction.h"
#include "ObjCClass.h"
#include "UIApplication.h"
#include "VTWindowController.h"
#include "VTWindowLink.h"

namespace {

constexpr const char* kMusicPlayerIdentifier = "com.apple.mobileipod";
constexpr const char* kMusicPlayerIconPath = "/Applications/MobileMusicPlayer.app/Icon-Small-AudioPlayer.png";
constexpr const char* kFallbackIconName = "Push.png";

// A name stays a file of the custom-icon folder: no path separator, no way up.
bool isFileNameInFolder(const std::string& name)
{
    return name.find('/') == std::string::npos && name.find('\0') == std::string::npos && name != "..";
}

// The image of the Vantle folder when it (or its double-resolution variant) is there; a name the user has
// no picture for is the usual case, so it is not read (and reported) as a failed load.
std::shared_ptr<UIImage> existingImageInVantleFolder(const std::string& name)
{
    const std::string path = std::string(UIImageRetina::kVantleImagesFolder) + name;
    const auto& files = NSFileManager::defaultManager();
    if (!files.fileExistsAtPath(path) && !files.fileExistsAtPath(UIImageRetina::doubleResolutionPath(path))) {
        return nullptr;
    }
    return UIImageRetina::imageInVantleFolderNamed(name);
}

// The shell's home-screen icon image of the application (its small format); null without such an application.
std::shared_ptr<UIImage> shellIconForIdentifier(const std::string& bundleIdentifier)
{
    const auto icon = SBIconModel::sharedInstance().applicationIconForDisplayIdentifier(bundleIdentifier);
    return icon ? icon->getIconImage(SBIcon::SmallFormat) : nullptr;
}

} // namespace

namespace UIApplicationVantle {

bool registerNotification(const id& record, const CPMessageReply& reply)
{
    if (!notificationIsConsistent(record)) {
        return false;
    }
    const auto dictionary = as<NSDictionary>(record);
    if (const auto refusal = PLWriter::refusalOf(*dictionary)) {
        // Refused here, while the caller still waits for the answer, instead of by the writer later.
        NSLog("Vantle: {} of {}", *refusal, dictionary->stringForKey("Application").value_or("?"));
        reply.refuse(*refusal);
        return false;
    }
    NSThread::detachNewThread([record = as<NSDictionary>(record), reply] { PLWriter::write(record, reply); });
    return true;
}

bool notificationIsConsistent(const id& object)
{
    const auto record = as<NSDictionary>(object);
    return record && NSDictionaryVantle::application(*record) && NSDictionaryVantle::body(*record) &&
           NSDictionaryVantle::date(*record);
}

bool isVantleOpen()
{
    return VTWindowLink::isSharedWindowShown();
}

std::optional<std::string> redirection(const std::string& key)
{
    const auto table = PLWriter::redirections();
    const auto target = table ? table->objectForKey<NSString>(key) : nullptr;
    return target ? std::optional<std::string>(target->string()) : std::nullopt;
}

std::optional<std::string> redirectedAppIdentifierForApplicationIdentifier(const std::string& bundleIdentifier)
{
    return redirection(bundleIdentifier);
}

std::optional<std::string> redirectedAppIdentifierForApplicationName(const std::string& applicationName)
{
    return redirection(applicationName);
}

std::shared_ptr<UIImage> customIconForApplication(const id& applicationName)
{
    const auto name = as<NSString>(applicationName);
    if (name && isFileNameInFolder(name->string())) {
        if (auto icon = existingImageInVantleFolder(name->string() + ".png")) {
            return icon;
        }
    }
    return existingImageInVantleFolder(kFallbackIconName);
}

std::shared_ptr<UIImage> iconForNotification(const NSDictionary& record)
{
    const auto bundleIdentifier = as<NSString>(NSDictionaryVantle::bundleIdentifier(record));
    if (!bundleIdentifier || PLWriter::customIcons()) {
        return customIconForApplication(NSDictionaryVantle::application(record));
    }
    if (bundleIdentifier->string() == kMusicPlayerIdentifier) {
        return UIImageRetina::imageWithContentsOfResolutionIndependentFile(kMusicPlayerIconPath);
    }
    return shellIconForIdentifier(bundleIdentifier->string());
}

void openVantle()
{
    VTWindowController::sharedController()->setShowWindow(true);
}

void closeVantle()
{
    VTWindowController::sharedController()->setShowWindow(false);
}

void handleLaunchActionForNotification(const NSDictionary& record)
{
    std::optional<std::string> target;
    if (const auto name = as<NSString>(NSDictionaryVantle::application(record))) {
        target = redirectedAppIdentifierForApplicationName(name->string());
    }
    const auto bundleIdentifier = as<NSString>(NSDictionaryVantle::bundleIdentifier(record));
    if (!target && bundleIdentifier) {
        target = redirectedAppIdentifierForApplicationIdentifier(bundleIdentifier->string());
    }
    if (target) {
        DSDisplayController::sharedInstance().activateAppWithDisplayIdentifier(*target, true);
        return;
    }
    if (const auto action = as<LaunchAction>(NSDictionaryVantle::action(record)); action && action->canLaunch()) {
        action->launch();
        return;
    }
    if (bundleIdentifier) {
        DSDisplayController::sharedInstance().activateAppWithDisplayIdentifier(bundleIdentifier->string(), true);
    }
}

bool deleteNotification(const NSDictionary&)
{
    return !isVantleOpen();
}

void setHideLockscreenAlerts(bool allowed)
{
    PLWriter::overrideLockscreen(allowed);
}

void setHideSpringBoardAlerts(bool allowed)
{
    PLWriter::overrideSpringBoard(allowed);
}

namespace {

using Application = std::shared_ptr<UIApplication>;
using Record = std::shared_ptr<NSDictionary>;
using Text = std::shared_ptr<NSString>;

Text textOrNull(const std::optional<std::string>& text)
{
    return text ? NSString::stringWithString(*text) : nullptr;
}

std::string stringOf(const Text& text)
{
    return text ? text->string() : std::string();
}

template <class Sig, class Implementation>
void add(ObjCClass& cls, const char* selector, Implementation implementation)
{
    cls.addMethod<Sig>(selector, std::function<Sig>(implementation));
}

} // namespace

void registerCategoryMethods()
{
    ObjCClass& cls = ObjCClass::registerClass("UIApplication");
    add<void(const Application&)>(cls, "openVantle", [](const Application&) { openVantle(); });
    add<void(const Application&)>(cls, "closeVantle", [](const Application&) { closeVantle(); });
    add<bool(const Application&)>(cls, "isVantleOpen", [](const Application&) { return isVantleOpen(); });
    add<void(const Application&, const Record&)>(cls, "handleLaunchActionForNotification:",
                                                  [](const Application&, const Record& record) {
                                                      if (record) {
                                                          handleLaunchActionForNotification(*record);
                                                      }
                                                  });
    add<bool(const Application&, const Record&)>(cls, "deleteNotification:", [](const Application&, const Record& record) {
        return record && deleteNotification(*record);
    });
    add<std::shared_ptr<UIImage>(const Application&, const Record&)>(
        cls, "iconForNotification:",
        [](const Application&, const Record& record) { return record ? iconForNotification(*record) : nullptr; });
    add<void(const Application&, bool)>(cls, "setHideLockscreenAlerts:",
                                        [](const Application&, bool allowed) { setHideLockscreenAlerts(allowed); });
    add<void(const Application&, bool)>(cls, "setHideSpringBoardAlerts:",
                                        [](const Application&, bool allowed) { setHideSpringBoardAlerts(allowed); });
    add<bool(const Application&, const id&)>(cls, "registerNotification:",
                                             [](const Application&, const id& record) { return registerNotification(record); });
    add<bool(const Application&, const id&)>(cls, "notificationIsConsistent:", [](const Application&, const id& object) {
        return notificationIsConsistent(object);
    });
    add<Text(const Application&, const Text&)>(cls, "redirection:", [](const Application&, const Text& key) {
        return textOrNull(redirection(stringOf(key)));
    });
    add<Text(const Application&, const Text&)>(cls, "redirectedAppIdentifierForApplicationIdentifier:",
                                               [](const Application&, const Text& identifier) {
                                                   return textOrNull(redirectedAppIdentifierForApplicationIdentifier(stringOf(identifier)));
                                               });
    add<Text(const Application&, const Text&)>(cls, "redirectedAppIdentifierForApplicationName:",
                                               [](const Application&, const Text& name) {
                                                   return textOrNull(redirectedAppIdentifierForApplicationName(stringOf(name)));
                                               });
}

} // namespace UIApplicationVantle

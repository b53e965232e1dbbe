#include "SpringBoard-Vantle.h"

#include "NSDictionary-Vantle.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSString.h"
#include "NSThread.h"
#include "PLWriter.h"
#include "SBIconModel.h"
#include "UIImage-Retina.h"
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

bool registerNotification(const id& record)
{
    if (!notificationIsConsistent(record)) {
        return false;
    }
    NSThread::detachNewThread([record = as<NSDictionary>(record)] { PLWriter::write(record); });
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

} // namespace UIApplicationVantle

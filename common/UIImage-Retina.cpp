#include "UIImage-Retina.h"

#include "NSFileManager.h"
#include "UIScreen.h"

#include <atomic>

#if VANTLE_DELIVERABLE_TWEAK && VANTLE_DELIVERABLE_SETTINGS
#error "UIImage-Retina is compiled for one deliverable at a time"
#endif

namespace {

// The two flags of this deliverable. Loads happen on the main thread, but the flags are atomic all the
// same, so a load from another thread is merely a repeated screen test, never a data race.
std::atomic<bool> screenTested{false};
std::atomic<bool> doubleResolution{false};

bool screenHasDoubleResolution()
{
    if (!UIScreen::instancesRespondToSelector("scale")) {
        return false;
    }
#if VANTLE_DELIVERABLE_SETTINGS
    // The settings bundle compares in single precision, the tweak in double; both agree on every scale
    // the screen reports.
    return static_cast<float>(UIScreen::mainScreen()->scale()) == 2.0f;
#else
    return UIScreen::mainScreen()->scale() == 2.0;
#endif
}

bool isDoubleResolution()
{
    if (!screenTested.load(std::memory_order_acquire)) {
        doubleResolution.store(screenHasDoubleResolution(), std::memory_order_relaxed);
        screenTested.store(true, std::memory_order_release);
    }
    return doubleResolution.load(std::memory_order_relaxed);
}

// Path components as the platform's string operations see them: trailing slashes do not count.
std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

} // namespace

namespace UIImageRetina {

std::string doubleResolutionPath(const std::string& path)
{
    const std::string trimmed = withoutTrailingSlashes(path);
    const std::size_t slash = trimmed.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : trimmed.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    // A leading dot starts a hidden file's name, not an extension.
    const std::size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot + 1) : "";
    return folder + stem + "@2x." + extension;
}

std::shared_ptr<UIImage> initWithContentsOfResolutionIndependentFile(const std::string& path)
{
    if (isDoubleResolution()) {
        const std::string candidate = doubleResolutionPath(path);
        if (NSFileManager::defaultManager().fileExistsAtPath(candidate)) {
            return UIImage::initWithContentsOfFile(candidate);
        }
    }
    return UIImage::initWithContentsOfFile(path);
}

std::shared_ptr<UIImage> imageWithContentsOfResolutionIndependentFile(const std::string& path)
{
    return initWithContentsOfResolutionIndependentFile(path);
}

void resetScreenTestForTesting()
{
    screenTested.store(false);
    doubleResolution.store(false);
}

#if VANTLE_DELIVERABLE_TWEAK
std::shared_ptr<UIImage> imageInVantleFolderNamed(const std::string& name)
{
    return imageWithContentsOfResolutionIndependentFile(kVantleImagesFolder + name);
}
#endif

#if VANTLE_DELIVERABLE_SETTINGS
std::string fullPathForFile(const std::string& name)
{
    return kBundleFolder + name;
}

std::shared_ptr<UIImage> imageInBundleNamed(const std::string& name)
{
    return imageWithContentsOfResolutionIndependentFile(fullPathForFile(name));
}
#endif

} // namespace UIImageRetina

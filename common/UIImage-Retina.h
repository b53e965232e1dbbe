#pragma once

#include "UIImage.h"

#include <memory>
#include <string>

// The image loader of both deliverables (the category UIImage(Retina)): it reads a file's double-resolution
// variant ("TopCap@2x.png" beside "TopCap.png") when the screen has double resolution and the variant
// exists, and the file itself otherwise. Whether the screen has double resolution is asked once, on the
// first load in the deliverable, and that answer holds for the rest of the process.
//
// Each deliverable compiles this file itself and so keeps its own answer. The deliverable is chosen by the
// build: VANTLE_DELIVERABLE_TWEAK adds imageInVantleFolderNamed, VANTLE_DELIVERABLE_SETTINGS adds
// fullPathForFile and imageInBundleNamed. Paths are device paths.
namespace UIImageRetina {

// The image at `path`, or its "@2x" variant on a double-resolution screen when that file exists; null when
// the chosen file is missing or not a readable image.
std::shared_ptr<UIImage> initWithContentsOfResolutionIndependentFile(const std::string& path);
// The same; the platform's class-method form.
std::shared_ptr<UIImage> imageWithContentsOfResolutionIndependentFile(const std::string& path);

// The path of the double-resolution variant the loader looks for: the last path component without its
// extension, then "@2x.", then the extension, in the same folder ("/a/x.y.png" gives "/a/x.y@2x.png", and
// "/a/Icon" without an extension gives "/a/Icon@2x.").
std::string doubleResolutionPath(const std::string& path);

// Forgets the screen test, so that the next load asks the screen again. Only for tests, which play
// several screens in one process; the deliverables never call it.
void resetScreenTestForTesting();

#if VANTLE_DELIVERABLE_TWEAK
inline constexpr const char* kVantleImagesFolder = "/var/mobile/Library/Vantle/Images/";
// An image of the tweak's folder "/var/mobile/Library/Vantle/Images/" (panel artwork, custom icons).
std::shared_ptr<UIImage> imageInVantleFolderNamed(const std::string& name);
#endif

#if VANTLE_DELIVERABLE_SETTINGS
inline constexpr const char* kBundleFolder = "/System/Library/PreferenceBundles/VantlePro.bundle/";
// "/System/Library/PreferenceBundles/VantlePro.bundle/" followed by `name`.
std::string fullPathForFile(const std::string& name);
// An image of the settings bundle's own folder.
std::shared_ptr<UIImage> imageInBundleNamed(const std::string& name);
#endif

} // namespace UIImageRetina

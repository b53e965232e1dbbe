#include "SBIcon.h"

#include "NSFileManager.h"
#include "UIImage.h"
#include "UIScreen.h"

namespace {

// "Icon@2x.png" for "Icon.png".
std::string doubleResolutionVariant(const std::string& path)
{
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return path + "@2x";
    }
    return path.substr(0, dot) + "@2x" + path.substr(dot);
}

} // namespace

std::shared_ptr<UIImage> SBIcon::getIconImage(int format) const
{
    const std::string& path = format == SmallFormat ? application_->smallIconPath() : application_->iconPath();
    if (path.empty()) {
        return nullptr;
    }
    if (UIScreen::mainScreen()->scale() >= 2) {
        const std::string variant = doubleResolutionVariant(path);
        if (NSFileManager::defaultManager().fileExistsAtPath(variant)) {
            if (auto image = UIImage::imageWithContentsOfFile(variant)) {
                return image;
            }
        }
    }
    return UIImage::imageWithContentsOfFile(path);
}

#pragma once

#include "NSObject.h"
#include "SBApplication.h"

#include <memory>

class UIImage;

// An application's icon on the home screen.
class SBIcon final : public NSObject {
public:
    // The image formats of getIconImage: the small icon of lists, and the home-screen icon.
    enum Format { SmallFormat = 0, HomeScreenFormat = 1 };

    explicit SBIcon(std::shared_ptr<SBApplication> application)
        : application_(std::move(application))
    {
    }

    const std::shared_ptr<SBApplication>& application() const { return application_; }
    const std::string& displayName() const { return application_->displayName(); }

    // Format 0: the application's small icon ("Icon-Small.png"), else its home-screen icon; any other
    // format: the home-screen icon. On a screen of scale 2 the file's "@2x" variant is read when the bundle
    // has one. Null when the application has no icon file or it does not read as a PNG.
    std::shared_ptr<UIImage> getIconImage(int format) const;

    std::string className() const override { return "SBIcon"; }

private:
    const std::shared_ptr<SBApplication> application_;
};

#include "SBInterfaceOrientation.h"

#include "CGAffineTransform.h"
#include "UIScreen.h"
#include "UIWindow.h"

#include <numbers>

CGFloat SBInterfaceOrientation::rotationAngle(int orientation)
{
    switch (orientation) {
    case 2:
        return std::numbers::pi;
    case 3:
        return std::numbers::pi / 2;
    case 4:
        return -std::numbers::pi / 2;
    default:
        return 0;
    }
}

CGSize SBInterfaceOrientation::screenSize(int orientation)
{
    const CGSize portrait = UIScreen::mainScreen()->bounds().size;
    return isLandscape(orientation) ? CGSizeMake(portrait.height, portrait.width) : portrait;
}

void SBInterfaceOrientation::applyToWindow(UIWindow& window, int orientation)
{
    const CGRect screen = UIScreen::mainScreen()->bounds();
    window.setTransform(CGAffineTransformMakeRotation(rotationAngle(orientation)));
    const CGSize size = screenSize(orientation);
    window.setBounds(CGRectMake(0, 0, size.width, size.height));
    window.setCenter(CGPointMake(CGRectGetMidX(screen), CGRectGetMidY(screen)));
}

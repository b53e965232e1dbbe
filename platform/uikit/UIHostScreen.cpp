#include "UIHostScreen.h"

#include "UIImage.h"
#include "UIRenderer.h"
#include "UIScreen.h"

std::shared_ptr<UIImage> UIHostScreen::uprightImage() const
{
    return UIRenderer::renderScreen()->imageRotatedByQuarterTurns(uprightQuarterTurns_);
}

CGPoint UIHostScreen::screenPointForUprightPoint(CGPoint point) const
{
    const CGSize screen = UIScreen::mainScreen()->bounds().size;
    // Each case turns the point back by as much as the picture was turned to stand upright.
    switch (((uprightQuarterTurns_ % 4) + 4) % 4) {
    case 1:
        return CGPointMake(point.y, screen.height - point.x);
    case 2:
        return CGPointMake(screen.width - point.x, screen.height - point.y);
    case 3:
        return CGPointMake(screen.width - point.y, point.x);
    default:
        return point;
    }
}

std::optional<NSError> UIHostScreen::writeScreenshot(const std::string& hostPath) const
{
    if (!uprightImage()->writePNGToHostFile(hostPath)) {
        return NSError("cannot write the screenshot to " + hostPath);
    }
    return std::nullopt;
}

#include "SBWallpaper.h"

#include "CGContextStateSaver.h"
#include "CGGradient.h"

void SBWallpaper::drawInRect(CGContext& context, CGRect rect)
{
    const auto sky = CGGradient::gradientWithColorComponents(
        {0.16, 0.32, 0.58, 1, 0.07, 0.15, 0.33, 1, 0.02, 0.04, 0.1, 1}, {0, 0.55, 1});
    CGContextStateSaver saved(context);
    context.clipToRect(rect);
    context.drawLinearGradient(sky, rect.origin, CGPointMake(rect.origin.x, CGRectGetMaxY(rect)), 0);
    // Layered translucent ellipses make a soft glow without a radial gradient.
    const CGFloat width = rect.size.width;
    for (int ring = 0; ring < 6; ++ring) {
        const CGFloat grow = 26.0 * ring;
        context.setRGBFillColor(0.55, 0.75, 1, 0.035);
        context.fillEllipseInRect(CGRectMake(rect.origin.x + width * 0.2 - grow, rect.origin.y + 40 - grow * 0.6,
            width * 0.6 + 2 * grow, 120 + 1.2 * grow));
    }
}

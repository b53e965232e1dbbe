#include "SampleBadgeView.h"

#include "CGContext.h"
#include "CGContextStateSaver.h"
#include "CGGradient.h"
#include "NSString-UIStringDrawing.h"
#include "UIColor.h"
#include "UIFont.h"
#include "UIGraphics.h"

#include <algorithm>

namespace {

constexpr CGFloat kRim = 2;

std::shared_ptr<UIFont> digitsFont()
{
    return UIFont::boldSystemFontOfSize(SampleBadgeView::fontSize);
}

} // namespace

SampleBadgeView::SampleBadgeView(CGPoint origin, std::string count)
    : UIView(CGRectMake(origin.x, origin.y, widthForCount(count), height)), count_(std::move(count))
{
    setBackgroundColor(UIColor::clearColor());
}

CGFloat SampleBadgeView::widthForCount(const std::string& count)
{
    // Never narrower than a circle; wider counts stretch into a pill.
    return std::max(height, sizeWithFont(count, digitsFont()).width + 2 * (height / 2));
}

void SampleBadgeView::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    const CGRect pill = bounds();
    const CGFloat radius = pill.size.height / 2;

    context->setRGBFillColor(1, 1, 1, 1);
    context->addRoundedRect(pill, radius);
    context->fillPath();

    // The red body with a gloss: lighter at the top, deeper at the bottom, inside the white rim.
    const CGRect body = CGRectInset(pill, kRim, kRim);
    {
        CGContextStateSaver saved(*context);
        context->addRoundedRect(body, body.size.height / 2);
        context->clip();
        static const auto gloss =
            CGGradient::gradientWithColorComponents({0.98, 0.45, 0.42, 1, 0.82, 0.06, 0.05, 1}, {0, 1});
        context->drawLinearGradient(gloss, CGPointMake(0, body.origin.y), CGPointMake(0, CGRectGetMaxY(body)), 0);
    }

    const auto font = digitsFont();
    const CGSize digits = sizeWithFont(count_, font);
    context->setBlendMode(kCGBlendModeClear);
    drawAtPointWithFont(count_,
                        CGPointMake((pill.size.width - digits.width) / 2, (pill.size.height - digits.height) / 2),
                        font);
    context->setBlendMode(kCGBlendModeNormal);
}

#include "GMBadgeView.h"

#include "CGContext.h"
#include "CGContextStateSaver.h"
#include "NSString-UIStringDrawing.h"
#include "UIGraphics.h"

#include <numbers>

namespace {

std::shared_ptr<UIFont> badgeFont() { return UIFont::boldSystemFontOfSize(14); }

} // namespace

GMBadgeView::GMBadgeView(CGRect frame)
    : UIView(frame)
{
    setBackgroundColor(UIColor::clearColor());
    setOpaque(false);
}

void GMBadgeView::setBadgeNumber(std::int32_t number)
{
    badgeNumber_ = number;
    text_ = std::to_string(number);
}

CGSize GMBadgeView::pillSizeForText(const std::string& text)
{
    return CGSizeMake(sizeWithFont(text, badgeFont()).width + kHorizontalPadding, kHeight);
}

void GMBadgeView::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (!context) {
        return;
    }
    const double textWidth = sizeWithFont(text_, badgeFont()).width;
    const CGSize pill = pillSizeForText(text_);
    const double radius = pill.height / 2;

    {
        CGContextStateSaver saved(*context);
        context->setRGBFillColor(0.6, 0.65, 0.7, 1);
        context->beginPath();
        context->addArc(radius, radius, radius, std::numbers::pi / 2, 3 * std::numbers::pi / 2, 0);
        context->addArc(pill.width - radius, radius, radius, 3 * std::numbers::pi / 2, std::numbers::pi / 2, 0);
        context->closePath();
        context->fillPath();
    }

    // Cut the digits out of the pill.
    context->setBlendMode(kCGBlendModeClear);
    const double x = (pill.width - textWidth) / 2 + 0.5;
    drawInRectWithFont(text_, CGRectMake(x, 0, pill.width, kHeight), badgeFont());
}

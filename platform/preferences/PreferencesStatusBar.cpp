#include "PreferencesStatusBar.h"

#include "CGGradient.h"
#include "NSDate.h"
#include "NSDateFormatter.h"
#include "NSString-UIStringDrawing.h"
#include "UIFont.h"
#include "UIGraphics.h"

PreferencesStatusBar::PreferencesStatusBar(CGRect frame) : UIView(frame)
{
    setUserInteractionEnabled(false);
}

void PreferencesStatusBar::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    const CGRect b = bounds();
    const std::vector<CGFloat> black{0.25, 0.25, 0.25, 1, 0, 0, 0, 1};
    context->drawLinearGradient(CGGradient::gradientWithColorComponents(black, {}), b.origin,
                                CGPointMake(b.origin.x, CGRectGetMaxY(b)), 0);
    NSDateFormatter formatter;
    formatter.setTimeStyle(NSDateFormatter::Style::Short);
    const std::string time = formatter.stringFromDate(NSDate::date());
    const auto font = UIFont::boldSystemFontOfSize(14);
    const CGFloat textHeight = sizeWithFont(time, font).height;
    context->setGrayFillColor(1, 1);
    drawInRectWithFontLineBreakModeAlignment(time, CGRectMake(0, (b.size.height - textHeight) / 2, b.size.width, textHeight),
                                             font, UILineBreakModeClip, UITextAlignmentCenter);
}

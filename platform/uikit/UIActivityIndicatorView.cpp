#include "UIActivityIndicatorView.h"

#include "CGContextStateSaver.h"
#include "Clock.h"
#include "UIGraphics.h"

#include <cmath>

namespace {
constexpr int kSpokes = 12;
constexpr double kSecondsPerSpoke = 1.0 / 12;
} // namespace

UIActivityIndicatorView::UIActivityIndicatorView(UIActivityIndicatorViewStyle style)
    : style_(style)
{
    setFrame(CGRectMake(0, 0, side(), side()));
    setOpaque(false);
    setUserInteractionEnabled(false);
    setHidden(true);
}

std::shared_ptr<UIActivityIndicatorView> UIActivityIndicatorView::initWithActivityIndicatorStyle(
    UIActivityIndicatorViewStyle style)
{
    return std::make_shared<UIActivityIndicatorView>(style);
}

void UIActivityIndicatorView::setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle style)
{
    style_ = style;
    setNeedsDisplay();
}

void UIActivityIndicatorView::setHidesWhenStopped(bool hides)
{
    hidesWhenStopped_ = hides;
    if (!animating_) {
        setHidden(hides);
    }
}

void UIActivityIndicatorView::startAnimating()
{
    if (animating_) {
        return;
    }
    animating_ = true;
    startedAt_ = Clock::current()->monotonicTime();
    setHidden(false);
    setNeedsDisplay();
}

void UIActivityIndicatorView::stopAnimating()
{
    animating_ = false;
    if (hidesWhenStopped_) {
        setHidden(true);
    }
    setNeedsDisplay();
}

int UIActivityIndicatorView::leadingSpoke() const
{
    if (!animating_) {
        return 0;
    }
    const double elapsed = std::max(0.0, Clock::current()->monotonicTime() - startedAt_);
    return static_cast<int>(std::floor(elapsed / kSecondsPerSpoke)) % kSpokes;
}

void UIActivityIndicatorView::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    const CGRect b = bounds();
    const CGFloat radius = std::min(b.size.width, b.size.height) / 2;
    const CGFloat grey = style_ == UIActivityIndicatorViewStyleGray ? 0.5 : 1.0;
    const int lead = leadingSpoke();
    CGContextStateSaver saved(*context);
    context->translateCTM(CGRectGetMidX(b), CGRectGetMidY(b));
    context->setLineWidth(radius * 0.2);
    context->setLineCap(kCGLineCapRound);
    for (int spoke = 0; spoke < kSpokes; ++spoke) {
        const int behind = (lead - spoke + kSpokes) % kSpokes; // 0 for the leading spoke
        const CGFloat angle = -M_PI / 2 + spoke * 2 * M_PI / kSpokes;
        context->setGrayStrokeColor(grey, 1.0 - 0.07 * behind);
        context->beginPath();
        context->moveToPoint(std::cos(angle) * radius * 0.5, std::sin(angle) * radius * 0.5);
        context->addLineToPoint(std::cos(angle) * radius * 0.9, std::sin(angle) * radius * 0.9);
        context->strokePath();
    }
}

CGSize UIActivityIndicatorView::sizeThatFits(CGSize) { return CGSizeMake(side(), side()); }

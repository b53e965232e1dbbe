#include "UIScrollView.h"

#include <algorithm>
#include <cmath>

UIScrollView::UIScrollView()
    : UIScrollView(CGRectZero)
{
}

UIScrollView::UIScrollView(CGRect frame)
    : UIView(frame)
{
    setClipsToBounds(true);
}

void UIScrollView::setContentOffset(CGPoint offset)
{
    CGRect b = bounds();
    if (b.origin == offset) {
        return;
    }
    b.origin = offset;
    UIView::setBounds(b);
    setNeedsLayout();
    didScroll();
}

void UIScrollView::setContentOffsetAnimated(CGPoint offset, bool) { setContentOffset(offset); }

void UIScrollView::setContentSize(CGSize size)
{
    if (contentSize_ != size) {
        contentSize_ = size;
        setNeedsLayout();
    }
}

void UIScrollView::setBounds(CGRect bounds)
{
    const bool moved = bounds.origin != this->bounds().origin;
    UIView::setBounds(bounds);
    if (moved) {
        setNeedsLayout();
        didScroll();
    }
}

CGPoint UIScrollView::maximumContentOffset() const
{
    const CGSize size = bounds().size;
    return CGPointMake(
        std::max<CGFloat>(0, contentSize_.width - size.width), std::max<CGFloat>(0, contentSize_.height - size.height));
}

bool UIScrollView::canScrollVertically() const
{
    return alwaysBounceVertical_ || contentSize_.height > bounds().size.height;
}

bool UIScrollView::canScrollHorizontally() const
{
    return alwaysBounceHorizontal_ || contentSize_.width > bounds().size.width;
}

CGFloat UIScrollView::rubberBanded(CGFloat wanted, CGFloat maximum) const
{
    if (wanted < 0) {
        return bounces_ ? wanted / 2 : 0;
    }
    if (wanted > maximum) {
        return bounces_ ? maximum + (wanted - maximum) / 2 : maximum;
    }
    return wanted;
}

void UIScrollView::beginTracking(CGPoint pointInWindow)
{
    tracking_ = true;
    dragging_ = false;
    trackStart_ = pointInWindow;
    offsetAtStart_ = contentOffset();
}

bool UIScrollView::continueTracking(CGPoint pointInWindow)
{
    if (!tracking_ || !scrollEnabled_) {
        return false;
    }
    const CGFloat dx = canScrollHorizontally() ? pointInWindow.x - trackStart_.x : 0;
    const CGFloat dy = canScrollVertically() ? pointInWindow.y - trackStart_.y : 0;
    if (!dragging_) {
        if (std::hypot(dx, dy) <= dragThreshold) {
            return false;
        }
        dragging_ = true;
        didBeginDragging();
    }
    const CGPoint maximum = maximumContentOffset();
    setContentOffset(
        CGPointMake(rubberBanded(offsetAtStart_.x - dx, maximum.x), rubberBanded(offsetAtStart_.y - dy, maximum.y)));
    return true;
}

void UIScrollView::endTracking()
{
    if (dragging_) {
        const CGPoint maximum = maximumContentOffset();
        const CGPoint offset = contentOffset();
        setContentOffset(
            CGPointMake(std::clamp<CGFloat>(offset.x, 0, maximum.x), std::clamp<CGFloat>(offset.y, 0, maximum.y)));
    }
    tracking_ = false;
    dragging_ = false;
}

void UIScrollView::shiftContentOffset(CGPoint delta)
{
    if (tracking_) {
        offsetAtStart_ = CGPointMake(offsetAtStart_.x + delta.x, offsetAtStart_.y + delta.y);
    }
    setContentOffset(CGPointMake(contentOffset().x + delta.x, contentOffset().y + delta.y));
}

void UIScrollView::didBeginDragging() {}

void UIScrollView::didScroll() {}

void UIScrollView::touchesBeganWithEvent(const UITouchSet& touches, UIEvent*)
{
    if (!touches.empty()) {
        beginTracking(touches.front()->locationInView(nullptr));
    }
}

void UIScrollView::touchesMovedWithEvent(const UITouchSet& touches, UIEvent*)
{
    if (!touches.empty()) {
        continueTracking(touches.front()->locationInView(nullptr));
    }
}

void UIScrollView::touchesEndedWithEvent(const UITouchSet& touches, UIEvent*)
{
    if (!touches.empty()) {
        continueTracking(touches.front()->locationInView(nullptr));
    }
    endTracking();
}

void UIScrollView::touchesCancelledWithEvent(const UITouchSet&, UIEvent*) { endTracking(); }

#pragma once

#include "UIView.h"

// A view whose bounds origin is a movable window onto a larger content: `contentOffset` is the content
// point shown at the top-left, `contentSize` the extent of the content. A finger that moves more than
// 10 points drags the content with it; past the content's edges it moves at half speed (the rubber band),
// and when the finger lifts an offset outside the content snaps back to the nearest edge. A drag along
// an axis is possible when the content is larger than the bounds along it, or when the view bounces on
// that axis always (tables do, vertically).
class UIScrollView : public UIView {
public:
    UIScrollView();
    explicit UIScrollView(CGRect frame);

    CGPoint contentOffset() const { return bounds().origin; }
    void setContentOffset(CGPoint offset);
    // There are no scrolling animations in this toolkit: the offset is set at once either way.
    void setContentOffsetAnimated(CGPoint offset, bool animated);
    CGSize contentSize() const { return contentSize_; }
    void setContentSize(CGSize size);

    bool isScrollEnabled() const { return scrollEnabled_; }
    void setScrollEnabled(bool enabled) { scrollEnabled_ = enabled; }
    bool bounces() const { return bounces_; }
    void setBounces(bool bounces) { bounces_ = bounces; }
    bool alwaysBounceVertical() const { return alwaysBounceVertical_; }
    void setAlwaysBounceVertical(bool bounces) { alwaysBounceVertical_ = bounces; }
    bool alwaysBounceHorizontal() const { return alwaysBounceHorizontal_; }
    void setAlwaysBounceHorizontal(bool bounces) { alwaysBounceHorizontal_ = bounces; }

    // A finger is down and has moved far enough to scroll.
    bool isDragging() const { return dragging_; }
    bool isTracking() const { return tracking_; }

    // The largest offset that still shows content at the bottom-right edge (never below zero).
    CGPoint maximumContentOffset() const;

    void setBounds(CGRect bounds) override;

    void touchesBeganWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesMovedWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesEndedWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesCancelledWithEvent(const UITouchSet& touches, UIEvent* event) override;

    std::string className() const override { return "UIScrollView"; }

    // The distance a finger travels before a touch becomes a drag.
    static constexpr CGFloat dragThreshold = 10;

protected:
    // Drag tracking, for subclasses that look at the touch first. Points are in window coordinates, so
    // moving the content does not move them.
    void beginTracking(CGPoint pointInWindow);
    // Answers whether the touch is a drag (now or already); a drag moves the content.
    bool continueTracking(CGPoint pointInWindow);
    // Ends the touch; a drag snaps the offset back within the content.
    void endTracking();
    // Moves the offset by `delta`, and a drag in progress with it, so that content that grew or shrank
    // above what is on screen does not move what is on screen, nor what lies under the finger.
    void shiftContentOffset(CGPoint delta);
    // Called once when a touch turns into a drag.
    virtual void didBeginDragging();
    // Called after every change of the offset.
    virtual void didScroll();

private:
    bool canScrollVertically() const;
    bool canScrollHorizontally() const;
    CGFloat rubberBanded(CGFloat wanted, CGFloat maximum) const;

    CGSize contentSize_;
    bool scrollEnabled_ = true;
    bool bounces_ = true;
    bool alwaysBounceVertical_ = false;
    bool alwaysBounceHorizontal_ = false;
    bool tracking_ = false;
    bool dragging_ = false;
    CGPoint trackStart_;
    CGPoint offsetAtStart_;
};

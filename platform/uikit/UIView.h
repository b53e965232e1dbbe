#pragma once

#include "CGAffineTransform.h"
#include "CGGeometry.h"
#include "UIColor.h"
#include "UIResponder.h"
#include "UIViewAnimationGroup.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CALayer;
class UIWindow;

// How a view fits its content into its bounds (used by image views).
enum UIViewContentMode {
    UIViewContentModeScaleToFill = 0,
    UIViewContentModeScaleAspectFit = 1,
    UIViewContentModeScaleAspectFill = 2,
    UIViewContentModeRedraw = 3,
    UIViewContentModeCenter = 4,
};

// A rectangle of the screen with its own coordinates, content and subviews.
//
// Geometry is kept as the platform keeps it: centre (in the superview's coordinates), bounds (the view's
// own coordinate space: its origin is the point shown at the top-left, its size the extent) and a
// transform applied about the centre. The frame is derived from them: the smallest axis-aligned
// rectangle in the superview's coordinates that holds the transformed bounds. Setting the frame moves the
// centre to the middle of the given rectangle; with the identity transform the bounds take its size, and
// with any other transform the bounds take the size of the given rectangle carried back through the
// inverse transform (its bounding box). For the identity, quarter turns and scales this means that the
// frame read back is the frame set; for a quarter turn the bounds have the frame's size swapped. Values
// within 1e-9 of a whole number are snapped to it, so quarter turns give exact sizes.
//
// Views are owned through std::shared_ptr: a view retains its subviews, and the back pointer to its
// superview is not retained. initWithFrame: is the constructor; it sets the frame without calling the
// virtual setFrame (a subclass lays itself out by calling its own setFrame at the end of its constructor).
// All views are main-thread objects.
//
// Animations: between beginAnimationsContext and commitAnimations, changes of frame, bounds, centre,
// transform and alpha are animated: the model value changes at once (and is what the getters answer),
// while the view's layer shows the change over the block's duration (0.2 seconds unless set) on the
// process clock, paced by the block's curve (ease in and out unless set). A change made while an earlier
// animation of the same property runs starts from what is shown at that moment and replaces it (the
// earlier block then stops unfinished). The presentation getters answer what is shown now.
class UIView : public UIResponder, public std::enable_shared_from_this<UIView> {
public:
    UIView();
    explicit UIView(CGRect frame);
    ~UIView() override;

    // Geometry.
    CGRect frame() const;
    virtual void setFrame(CGRect frame);
    CGRect bounds() const { return bounds_; }
    virtual void setBounds(CGRect bounds);
    CGPoint center() const { return center_; }
    virtual void setCenter(CGPoint center);
    CGAffineTransform transform() const { return transform_; }
    virtual void setTransform(CGAffineTransform transform);

    // Appearance.
    CGFloat alpha() const { return alpha_; }
    virtual void setAlpha(CGFloat alpha);
    bool isHidden() const { return hidden_; }
    virtual void setHidden(bool hidden);
    bool clipsToBounds() const { return clipsToBounds_; }
    void setClipsToBounds(bool clips) { clipsToBounds_ = clips; }
    const std::shared_ptr<UIColor>& backgroundColor() const { return backgroundColor_; }
    virtual void setBackgroundColor(std::shared_ptr<UIColor> color);
    bool isOpaque() const { return opaque_; }
    void setOpaque(bool opaque) { opaque_ = opaque; }
    UIViewContentMode contentMode() const { return contentMode_; }
    void setContentMode(UIViewContentMode mode);

    // Identity and interaction.
    std::int64_t tag() const { return tag_; }
    void setTag(std::int64_t tag) { tag_ = tag; }
    bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
    bool isExclusiveTouch() const { return exclusiveTouch_; }
    void setExclusiveTouch(bool exclusive) { exclusiveTouch_ = exclusive; }

    // The hierarchy. Subviews are kept back to front: the last one is drawn on top.
    UIView* superview() const { return superview_; }
    const std::vector<std::shared_ptr<UIView>>& subviews() const { return subviews_; }
    // The window at the root of this view's tree; null when the root is not a window.
    UIWindow* window() const;
    // Adding a view that is already a subview elsewhere moves it here, on top. Adding the view itself or
    // one of its ancestors is ignored (it would make a cycle).
    void addSubview(const std::shared_ptr<UIView>& view);
    void insertSubviewAtIndex(const std::shared_ptr<UIView>& view, std::size_t index);
    // Without the sibling among the subviews, the view is added on top.
    void insertSubviewAboveSubview(const std::shared_ptr<UIView>& view, const UIView* sibling);
    void insertSubviewBelowSubview(const std::shared_ptr<UIView>& view, const UIView* sibling);
    void removeFromSuperview();
    void bringSubviewToFront(const UIView* view);
    void sendSubviewToBack(const UIView* view);
    void exchangeSubviewAtIndexWithSubviewAtIndex(std::size_t first, std::size_t second);
    bool isDescendantOfView(const UIView* view) const;
    // This view or the first descendant (depth first, in subview order) with the tag.
    UIView* viewWithTag(std::int64_t tag);
    std::shared_ptr<UIView> sharedView() { return shared_from_this(); }

    // Hooks for subclasses, called after the change.
    virtual void didAddSubview(UIView* subview);
    virtual void willRemoveSubview(UIView* subview);
    virtual void didMoveToSuperview();
    virtual void didMoveToWindow();

    // Layout: a change of the bounds' size or of the subviews marks the view; layoutIfNeeded (which the
    // renderer runs before drawing) then calls layoutSubviews on every marked view of the tree, top down.
    virtual void layoutSubviews();
    void setNeedsLayout() { needsLayout_ = true; }
    bool needsLayout() const { return needsLayout_; }
    void layoutIfNeeded();
    virtual CGSize sizeThatFits(CGSize size);
    void sizeToFit();

    // Drawing. drawRect draws the view's own content in its bounds' coordinates into the current
    // graphics context (UIGraphicsGetCurrentContext), above the background colour and below the
    // subviews, in a layer of its own (so a clear blend mode cuts through this view's content only). The
    // base draws nothing; overrides need not call it.
    virtual void drawRect(CGRect rect);
    void setNeedsDisplay() { needsDisplay_ = true; }
    void setNeedsDisplayInRect(CGRect) { needsDisplay_ = true; }
    bool needsDisplay() const { return needsDisplay_; }
    // Whether drawRect is known to draw nothing (learnt by the renderer on the first drawing).
    bool drawsNothing() const { return drawsNothing_; }
    void clearNeedsDisplay() { needsDisplay_ = false; }

    // Coordinates. A null view means the coordinates of this view's window (the root of its tree).
    // Views of different trees convert through the screen.
    CGPoint convertPointToView(CGPoint point, const UIView* view) const;
    CGPoint convertPointFromView(CGPoint point, const UIView* view) const;
    CGRect convertRectToView(CGRect rect, const UIView* view) const;
    CGRect convertRectFromView(CGRect rect, const UIView* view) const;
    // The transform from this view's coordinates to its superview's.
    CGAffineTransform transformToSuperview() const;

    // Touches. hitTest answers the deepest visible, interactive view (front-most first) whose bounds hold
    // the point, given in this view's coordinates; null if the point is outside this view or the view is
    // hidden, nearly transparent (alpha below 0.01) or not interactive.
    virtual UIView* hitTestWithEvent(CGPoint point, UIEvent* event);
    virtual bool pointInsideWithEvent(CGPoint point, UIEvent* event);
    UIResponder* nextResponder() const override;
    // The view that holds an exclusive touch in progress around this view, asked when a new touch begins
    // on this view: a touch that begins while another view answers here is not delivered. The base asks
    // the superview; the window answers the view of its exclusive touch (a view with exclusiveTouch set
    // that is being touched). An override that answers null lets touches in its subtree through.
    virtual UIView* _exclusiveTouchView();

    // The layer holding this view's animations.
    CALayer* layer() const { return layer_.get(); }
    // What the screen shows now (the model values while nothing animates).
    CGPoint presentationCenter() const;
    CGRect presentationBounds() const;
    CGAffineTransform presentationTransform() const;
    CGFloat presentationAlpha() const;
    CGRect presentationFrame() const;
    // The presentation counterpart of transformToSuperview.
    CGAffineTransform presentationTransformToSuperview() const;

    // Animation blocks (the platform's class methods). The did-stop callback runs, on the main run loop,
    // once every animation of the block has stopped, and only when the block has an animation delegate.
    static void beginAnimationsContext(std::string animationID, void* context);
    static void setAnimationDuration(double seconds);
    static void setAnimationDelay(double seconds);
    static void setAnimationCurve(UIViewAnimationCurve curve);
    static void setAnimationDelegate(const void* delegate);
    static void setAnimationDidStopSelector(UIViewAnimationGroup::DidStop didStop);
    static void setAnimationDidStopSelector(std::function<void()> didStop);
    static void commitAnimations();
    static void setAnimationsEnabled(bool enabled);
    static bool areAnimationsEnabled();

    std::string className() const override { return "UIView"; }

private:
    friend class UIRenderer;
    friend class CATransactionReplay;

    void applyCenter(CGPoint center);
    void applyBounds(CGRect bounds);
    void setBoundsSize(CGSize size);
    void attach(const std::shared_ptr<UIView>& view, std::size_t index);
    void detachFromSuperview();
    static void notifyMovedToWindow(UIView* view);
    CGAffineTransform transformToAncestor(const UIView* ancestor) const;
    // From this view's coordinates into the view's (the window's when view is null).
    CGAffineTransform transformToView(const UIView* view) const;
    const UIView* root() const;

    CGPoint center_;
    CGRect bounds_;
    CGAffineTransform transform_ = CGAffineTransformIdentity;
    CGFloat alpha_ = 1;
    bool hidden_ = false;
    bool clipsToBounds_ = false;
    bool opaque_ = true;
    bool userInteractionEnabled_ = true;
    bool exclusiveTouch_ = false;
    bool needsLayout_ = true;
    bool needsDisplay_ = true;
    bool drawsNothing_ = false;
    UIViewContentMode contentMode_ = UIViewContentModeScaleToFill;
    std::int64_t tag_ = 0;
    std::shared_ptr<UIColor> backgroundColor_;
    UIView* superview_ = nullptr;
    std::vector<std::shared_ptr<UIView>> subviews_;
    std::unique_ptr<CALayer> layer_;
};

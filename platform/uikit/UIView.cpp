#include "UIView.h"

#include "Assertions.h"
#include "CALayer.h"
#include "CATransaction.h"
#include "Clock.h"
#include "UIWindow.h"

#include <algorithm>
#include <cmath>

namespace {

CGFloat snapped(CGFloat value)
{
    const CGFloat whole = std::round(value);
    return std::fabs(value - whole) < 1e-9 ? whole : value;
}

CGRect snapped(CGRect rect)
{
    return CGRectMake(
        snapped(rect.origin.x), snapped(rect.origin.y), snapped(rect.size.width), snapped(rect.size.height));
}

double now() { return Clock::current()->monotonicTime(); }

template <class Value> Value presented(const CALayer& layer, const char* keyPath, const Value& model)
{
    if (const std::optional<CAAnimationValue> shown = layer.presentationValue(keyPath, now())) {
        if (const auto* value = std::get_if<Value>(&*shown)) {
            return *value;
        }
    }
    return model;
}

} // namespace

UIView::UIView()
    : UIView(CGRectZero)
{
}

UIView::UIView(CGRect frame)
    : layer_(std::make_unique<CALayer>(this))
{
    const CGRect f = CGRectStandardize(frame);
    center_ = CGPointMake(CGRectGetMidX(f), CGRectGetMidY(f));
    bounds_ = CGRectMake(0, 0, f.size.width, f.size.height);
}

UIView::~UIView()
{
    layer_.reset();
    for (const auto& subview : subviews_) {
        subview->superview_ = nullptr;
    }
}

CGRect UIView::frame() const
{
    const CGRect local
        = CGRectMake(-bounds_.size.width / 2, -bounds_.size.height / 2, bounds_.size.width, bounds_.size.height);
    const CGRect turned
        = CGAffineTransformIsIdentity(transform_) ? local : CGRectApplyAffineTransform(local, transform_);
    return snapped(CGRectOffset(turned, center_.x, center_.y));
}

void UIView::setFrame(CGRect frame)
{
    VT_ASSERT_MAIN_THREAD();
    const CGRect f = CGRectStandardize(frame);
    CGSize size = f.size;
    if (!CGAffineTransformIsIdentity(transform_)) {
        const CGRect back = CGRectApplyAffineTransform(
            CGRectMake(0, 0, f.size.width, f.size.height), CGAffineTransformInvert(transform_));
        size = CGSizeMake(snapped(back.size.width), snapped(back.size.height));
    }
    applyCenter(CGPointMake(CGRectGetMidX(f), CGRectGetMidY(f)));
    setBoundsSize(size);
}

void UIView::setBounds(CGRect bounds) { applyBounds(CGRectStandardize(bounds)); }

void UIView::setBoundsSize(CGSize size)
{
    applyBounds(CGRectMake(bounds_.origin.x, bounds_.origin.y, size.width, size.height));
}

void UIView::applyBounds(CGRect bounds)
{
    VT_ASSERT_MAIN_THREAD();
    if (UIViewAnimationGroup* block = UIViewAnimationGroup::recording()) {
        block->noteChange(*this, "bounds", presentationBounds(), bounds);
    }
    const bool resized = bounds_.size != bounds.size;
    bounds_ = bounds;
    if (resized) {
        setNeedsLayout();
    }
}

void UIView::applyCenter(CGPoint center)
{
    VT_ASSERT_MAIN_THREAD();
    if (UIViewAnimationGroup* block = UIViewAnimationGroup::recording()) {
        block->noteChange(*this, "position", presentationCenter(), center);
    }
    center_ = center;
}

void UIView::setCenter(CGPoint center) { applyCenter(center); }

void UIView::setTransform(CGAffineTransform transform)
{
    VT_ASSERT_MAIN_THREAD();
    if (UIViewAnimationGroup* block = UIViewAnimationGroup::recording()) {
        block->noteChange(*this, "transform", presentationTransform(), transform);
    }
    transform_ = transform;
}

void UIView::setAlpha(CGFloat alpha)
{
    VT_ASSERT_MAIN_THREAD();
    const CGFloat clamped = std::clamp(alpha, 0.0, 1.0);
    if (UIViewAnimationGroup* block = UIViewAnimationGroup::recording()) {
        block->noteChange(*this, "opacity", presentationAlpha(), clamped);
    }
    alpha_ = clamped;
}

void UIView::setHidden(bool hidden)
{
    VT_ASSERT_MAIN_THREAD();
    if (hidden != hidden_) {
        CATransaction::noteHiddenChange(this, hidden_, hidden);
    }
    hidden_ = hidden;
}

CGPoint UIView::presentationCenter() const { return presented(*layer_, "position", center_); }
CGRect UIView::presentationBounds() const { return presented(*layer_, "bounds", bounds_); }
CGAffineTransform UIView::presentationTransform() const { return presented(*layer_, "transform", transform_); }
CGFloat UIView::presentationAlpha() const { return presented(*layer_, "opacity", alpha_); }

CGRect UIView::presentationFrame() const
{
    const CGRect b = presentationBounds();
    const CGPoint c = presentationCenter();
    const CGRect local = CGRectMake(-b.size.width / 2, -b.size.height / 2, b.size.width, b.size.height);
    return snapped(CGRectOffset(CGRectApplyAffineTransform(local, presentationTransform()), c.x, c.y));
}

CGAffineTransform UIView::presentationTransformToSuperview() const
{
    const CGRect b = presentationBounds();
    const CGPoint c = presentationCenter();
    CGAffineTransform t
        = CGAffineTransformMakeTranslation(-(b.origin.x + b.size.width / 2), -(b.origin.y + b.size.height / 2));
    t = CGAffineTransformConcat(t, presentationTransform());
    return CGAffineTransformConcat(t, CGAffineTransformMakeTranslation(c.x, c.y));
}

void UIView::beginAnimationsContext(std::string animationID, void* context)
{
    UIViewAnimationGroup::begin(std::move(animationID), context);
}

namespace {
template <class Setting> void configureOpenBlock(Setting setting)
{
    if (UIViewAnimationGroup* block = UIViewAnimationGroup::recording()) {
        setting(*block);
    }
}
} // namespace

void UIView::setAnimationDuration(double seconds)
{
    configureOpenBlock([seconds](UIViewAnimationGroup& block) { block.setDuration(seconds); });
}

void UIView::setAnimationDelay(double seconds)
{
    configureOpenBlock([seconds](UIViewAnimationGroup& block) { block.setDelay(seconds); });
}

void UIView::setAnimationCurve(UIViewAnimationCurve curve)
{
    configureOpenBlock([curve](UIViewAnimationGroup& block) { block.setCurve(curve); });
}

void UIView::setAnimationDelegate(const void* delegate)
{
    configureOpenBlock([delegate](UIViewAnimationGroup& block) { block.setDelegate(delegate); });
}

void UIView::setAnimationDidStopSelector(UIViewAnimationGroup::DidStop didStop)
{
    configureOpenBlock([&didStop](UIViewAnimationGroup& block) { block.setDidStop(std::move(didStop)); });
}

void UIView::setAnimationDidStopSelector(std::function<void()> didStop)
{
    if (!didStop) {
        setAnimationDidStopSelector(UIViewAnimationGroup::DidStop());
        return;
    }
    setAnimationDidStopSelector(
        UIViewAnimationGroup::DidStop([didStop = std::move(didStop)](const std::string&, bool, void*) { didStop(); }));
}

void UIView::commitAnimations() { UIViewAnimationGroup::commit(); }

void UIView::setAnimationsEnabled(bool enabled) { UIViewAnimationGroup::setAnimationsEnabled(enabled); }

bool UIView::areAnimationsEnabled() { return UIViewAnimationGroup::areAnimationsEnabled(); }

void UIView::setBackgroundColor(std::shared_ptr<UIColor> color)
{
    backgroundColor_ = std::move(color);
    setNeedsDisplay();
}

void UIView::setContentMode(UIViewContentMode mode)
{
    contentMode_ = mode;
    setNeedsDisplay();
}

UIWindow* UIView::window() const { return dynamic_cast<UIWindow*>(const_cast<UIView*>(root())); }

const UIView* UIView::root() const
{
    const UIView* view = this;
    while (view->superview_ != nullptr) {
        view = view->superview_;
    }
    return view;
}

bool UIView::isDescendantOfView(const UIView* view) const
{
    for (const UIView* v = this; v != nullptr; v = v->superview_) {
        if (v == view) {
            return true;
        }
    }
    return false;
}

void UIView::notifyMovedToWindow(UIView* view)
{
    view->didMoveToWindow();
    for (const auto& subview : std::vector<std::shared_ptr<UIView>>(view->subviews_)) {
        notifyMovedToWindow(subview.get());
    }
}

void UIView::attach(const std::shared_ptr<UIView>& view, std::size_t index)
{
    VT_ASSERT_MAIN_THREAD();
    if (!view || view.get() == this || isDescendantOfView(view.get())) {
        return;
    }
    const std::shared_ptr<UIView> keep = view; // the old superview may hold the only other reference
    const UIWindow* oldWindow = view->window();
    if (view->superview_ == this) {
        const auto found = std::find(subviews_.begin(), subviews_.end(), view);
        CATransaction::noteRemoval(this, view.get(), static_cast<std::size_t>(found - subviews_.begin()));
        subviews_.erase(found);
    } else if (view->superview_ != nullptr) {
        view->detachFromSuperview();
    }
    const bool moved = view->superview_ != this;
    const std::size_t at = std::min(index, subviews_.size());
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(at), view);
    view->superview_ = this;
    CATransaction::noteInsertion(this, view.get(), at);
    setNeedsLayout();
    if (moved) {
        didAddSubview(view.get());
        view->didMoveToSuperview();
        if (view->window() != oldWindow) {
            notifyMovedToWindow(view.get());
        }
    }
}

void UIView::addSubview(const std::shared_ptr<UIView>& view) { attach(view, subviews_.size()); }

void UIView::insertSubviewAtIndex(const std::shared_ptr<UIView>& view, std::size_t index) { attach(view, index); }

void UIView::insertSubviewAboveSubview(const std::shared_ptr<UIView>& view, const UIView* sibling)
{
    auto found
        = std::find_if(subviews_.begin(), subviews_.end(), [sibling](const auto& v) { return v.get() == sibling; });
    if (found == subviews_.end() || view.get() == sibling) {
        addSubview(view);
        return;
    }
    const std::size_t siblingIndex = static_cast<std::size_t>(found - subviews_.begin());
    const bool wasBelow = view && view->superview_ == this && std::find(subviews_.begin(), found, view) != found;
    attach(view, wasBelow ? siblingIndex : siblingIndex + 1);
}

void UIView::insertSubviewBelowSubview(const std::shared_ptr<UIView>& view, const UIView* sibling)
{
    auto found
        = std::find_if(subviews_.begin(), subviews_.end(), [sibling](const auto& v) { return v.get() == sibling; });
    if (found == subviews_.end() || view.get() == sibling) {
        addSubview(view);
        return;
    }
    const std::size_t siblingIndex = static_cast<std::size_t>(found - subviews_.begin());
    const bool wasBelow = view && view->superview_ == this && std::find(subviews_.begin(), found, view) != found;
    attach(view, wasBelow ? siblingIndex - 1 : siblingIndex);
}

void UIView::detachFromSuperview()
{
    UIView* parent = superview_;
    parent->willRemoveSubview(this);
    auto found = std::find_if(
        parent->subviews_.begin(), parent->subviews_.end(), [this](const auto& v) { return v.get() == this; });
    if (found != parent->subviews_.end()) {
        CATransaction::noteRemoval(parent, this, static_cast<std::size_t>(found - parent->subviews_.begin()));
        parent->subviews_.erase(found);
    }
    superview_ = nullptr;
    parent->setNeedsLayout();
}

void UIView::removeFromSuperview()
{
    VT_ASSERT_MAIN_THREAD();
    if (superview_ == nullptr) {
        return;
    }
    const std::shared_ptr<UIView> keep = shared_from_this(); // the superview may hold the only reference
    const UIWindow* oldWindow = window();
    detachFromSuperview();
    didMoveToSuperview();
    if (oldWindow != nullptr) {
        notifyMovedToWindow(this);
    }
}

void UIView::bringSubviewToFront(const UIView* view)
{
    auto found = std::find_if(subviews_.begin(), subviews_.end(), [view](const auto& v) { return v.get() == view; });
    if (found != subviews_.end()) {
        CATransaction::noteRemoval(this, found->get(), static_cast<std::size_t>(found - subviews_.begin()));
        std::rotate(found, found + 1, subviews_.end());
        CATransaction::noteInsertion(this, subviews_.back().get(), subviews_.size() - 1);
    }
}

void UIView::sendSubviewToBack(const UIView* view)
{
    auto found = std::find_if(subviews_.begin(), subviews_.end(), [view](const auto& v) { return v.get() == view; });
    if (found != subviews_.end()) {
        CATransaction::noteRemoval(this, found->get(), static_cast<std::size_t>(found - subviews_.begin()));
        std::rotate(subviews_.begin(), found, found + 1);
        CATransaction::noteInsertion(this, subviews_.front().get(), 0);
    }
}

void UIView::exchangeSubviewAtIndexWithSubviewAtIndex(std::size_t first, std::size_t second)
{
    if (first < subviews_.size() && second < subviews_.size() && first != second) {
        const std::size_t low = std::min(first, second), high = std::max(first, second);
        UIView* lowView = subviews_[low].get();
        UIView* highView = subviews_[high].get();
        CATransaction::noteRemoval(this, highView, high);
        CATransaction::noteRemoval(this, lowView, low);
        std::swap(subviews_[first], subviews_[second]);
        CATransaction::noteInsertion(this, highView, low);
        CATransaction::noteInsertion(this, lowView, high);
    }
}

UIView* UIView::viewWithTag(std::int64_t tag)
{
    if (tag_ == tag) {
        return this;
    }
    for (const auto& subview : subviews_) {
        if (UIView* found = subview->viewWithTag(tag)) {
            return found;
        }
    }
    return nullptr;
}

void UIView::didAddSubview(UIView*) {}
void UIView::willRemoveSubview(UIView*) {}
void UIView::didMoveToSuperview() {}
void UIView::didMoveToWindow() {}

void UIView::layoutSubviews() {}

void UIView::layoutIfNeeded()
{
    VT_ASSERT_MAIN_THREAD();
    if (needsLayout_) {
        needsLayout_ = false;
        layoutSubviews();
    }
    for (const auto& subview : std::vector<std::shared_ptr<UIView>>(subviews_)) {
        subview->layoutIfNeeded();
    }
}

CGSize UIView::sizeThatFits(CGSize) { return bounds_.size; }

void UIView::sizeToFit()
{
    const CGSize size = sizeThatFits(bounds_.size);
    const CGRect f = frame();
    setFrame(CGRectMake(f.origin.x, f.origin.y, size.width, size.height));
}

void UIView::drawRect(CGRect) { drawsNothing_ = true; }

CGAffineTransform UIView::transformToSuperview() const
{
    const CGPoint boundsCentre{bounds_.origin.x + bounds_.size.width / 2, bounds_.origin.y + bounds_.size.height / 2};
    CGAffineTransform t = CGAffineTransformMakeTranslation(-boundsCentre.x, -boundsCentre.y);
    t = CGAffineTransformConcat(t, transform_);
    return CGAffineTransformConcat(t, CGAffineTransformMakeTranslation(center_.x, center_.y));
}

CGAffineTransform UIView::transformToAncestor(const UIView* ancestor) const
{
    CGAffineTransform t = CGAffineTransformIdentity;
    for (const UIView* v = this; v != nullptr && v != ancestor; v = v->superview_) {
        t = CGAffineTransformConcat(t, v->transformToSuperview());
    }
    return t;
}

CGAffineTransform UIView::transformToView(const UIView* view) const
{
    if (view == nullptr) {
        return transformToAncestor(root());
    }
    const CGAffineTransform toScreen = transformToAncestor(nullptr);
    const CGAffineTransform fromScreen = CGAffineTransformInvert(view->transformToAncestor(nullptr));
    return CGAffineTransformConcat(toScreen, fromScreen);
}

CGPoint UIView::convertPointToView(CGPoint point, const UIView* view) const
{
    return CGPointApplyAffineTransform(point, transformToView(view));
}

CGPoint UIView::convertPointFromView(CGPoint point, const UIView* view) const
{
    if (view == nullptr) {
        return CGPointApplyAffineTransform(point, CGAffineTransformInvert(transformToAncestor(root())));
    }
    return view->convertPointToView(point, this);
}

CGRect UIView::convertRectToView(CGRect rect, const UIView* view) const
{
    return CGRectApplyAffineTransform(rect, transformToView(view));
}

CGRect UIView::convertRectFromView(CGRect rect, const UIView* view) const
{
    if (view == nullptr) {
        return CGRectApplyAffineTransform(rect, CGAffineTransformInvert(transformToAncestor(root())));
    }
    return view->convertRectToView(rect, this);
}

UIView* UIView::hitTestWithEvent(CGPoint point, UIEvent* event)
{
    if (hidden_ || !userInteractionEnabled_ || alpha_ < 0.01 || !pointInsideWithEvent(point, event)) {
        return nullptr;
    }
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
        const UIView* subview = it->get();
        const CGPoint inSubview
            = CGPointApplyAffineTransform(point, CGAffineTransformInvert(subview->transformToSuperview()));
        if (UIView* hit = (*it)->hitTestWithEvent(inSubview, event)) {
            return hit;
        }
    }
    return this;
}

bool UIView::pointInsideWithEvent(CGPoint point, UIEvent*) { return CGRectContainsPoint(bounds_, point); }

UIResponder* UIView::nextResponder() const { return superview_; }

UIView* UIView::_exclusiveTouchView() { return superview_ != nullptr ? superview_->_exclusiveTouchView() : nullptr; }

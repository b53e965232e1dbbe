#include "UIViewAnimationGroup.h"

#include "CALayer.h"
#include "CAMediaTimingFunction.h"
#include "NSRunLoop.h"
#include "UIView.h"

#include <set>

namespace {

std::vector<std::shared_ptr<UIViewAnimationGroup>>& openBlocks()
{
    static std::vector<std::shared_ptr<UIViewAnimationGroup>> blocks;
    return blocks;
}

// Committed groups stay alive here until their last animation has stopped.
std::set<std::shared_ptr<UIViewAnimationGroup>>& runningGroups()
{
    static std::set<std::shared_ptr<UIViewAnimationGroup>> groups;
    return groups;
}

bool animationsEnabled = true;

std::string_view curveName(UIViewAnimationCurve curve)
{
    switch (curve) {
    case UIViewAnimationCurveEaseIn:
        return kCAMediaTimingFunctionEaseIn;
    case UIViewAnimationCurveEaseOut:
        return kCAMediaTimingFunctionEaseOut;
    case UIViewAnimationCurveLinear:
        return kCAMediaTimingFunctionLinear;
    case UIViewAnimationCurveEaseInOut:
        break;
    }
    return kCAMediaTimingFunctionEaseInEaseOut;
}

} // namespace

void UIViewAnimationGroup::begin(std::string animationID, void* context)
{
    auto group = std::make_shared<UIViewAnimationGroup>();
    if (!openBlocks().empty()) {
        // A nested block starts with the enclosing block's timing.
        const UIViewAnimationGroup& outer = *openBlocks().back();
        group->duration_ = outer.duration_;
        group->delay_ = outer.delay_;
        group->curve_ = outer.curve_;
    }
    group->animationID_ = std::move(animationID);
    group->context_ = context;
    openBlocks().push_back(std::move(group));
}

void UIViewAnimationGroup::commit()
{
    if (openBlocks().empty()) {
        return;
    }
    std::shared_ptr<UIViewAnimationGroup> group = std::move(openBlocks().back());
    openBlocks().pop_back();
    group->start();
}

UIViewAnimationGroup* UIViewAnimationGroup::recording()
{
    return animationsEnabled && !openBlocks().empty() ? openBlocks().back().get() : nullptr;
}

void UIViewAnimationGroup::setAnimationsEnabled(bool enabled) { animationsEnabled = enabled; }

bool UIViewAnimationGroup::areAnimationsEnabled() { return animationsEnabled; }

void UIViewAnimationGroup::noteChange(UIView& view, const std::string& keyPath, const CAAnimationValue& from,
                                      const CAAnimationValue& to)
{
    for (Change& change : changes_) {
        if (change.view.lock().get() == &view && change.keyPath == keyPath) {
            change.to = to;  // set twice in one block: from the first start to the last value
            return;
        }
    }
    changes_.push_back({view.weak_from_this(), keyPath, from, to});
}

void UIViewAnimationGroup::start()
{
    runningGroups().insert(shared_from_this());
    const auto pace = CAMediaTimingFunction::functionWithName(curveName(curve_));
    std::vector<std::pair<std::shared_ptr<UIView>, std::shared_ptr<CABasicAnimation>>> started;
    for (const Change& change : changes_) {
        auto view = change.view.lock();
        if (!view) {
            continue;
        }
        auto animation = CABasicAnimation::animationWithKeyPath(change.keyPath, change.from, change.to);
        animation->setDuration(duration_);
        animation->setBeginTime(delay_);
        animation->setTimingFunction(pace);
        animation->setFillMode(kCAFillModeBackwards);  // during a delay the old value still shows
        animation->setDelegate(weak_from_this());
        started.emplace_back(std::move(view), std::move(animation));
    }
    changes_.clear();
    running_ = static_cast<int>(started.size());
    if (started.empty()) {
        auto self = shared_from_this();
        NSRunLoop::mainRunLoop().performBlock([self] { self->report(true); });
        return;
    }
    for (const auto& [view, animation] : started) {
        view->layer()->addAnimationForKey(animation, animation->keyPath());
    }
}

void UIViewAnimationGroup::animationDidStopFinished(CAAnimation&, bool finished)
{
    allFinished_ = allFinished_ && finished;
    if (--running_ == 0) {
        report(allFinished_);
    }
}

void UIViewAnimationGroup::report(bool finished)
{
    const std::shared_ptr<UIViewAnimationGroup> self = shared_from_this();
    runningGroups().erase(self);
    if (delegate_ != nullptr && didStop_) {
        didStop_(animationID_, finished, context_);
    }
}

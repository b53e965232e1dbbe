#include "CALayer.h"

#include "CAAnimationScheduler.h"
#include "CATransaction.h"
#include "Clock.h"
#include "NSRunLoop.h"
#include "UIRenderer.h"
#include "UIView.h"

#include <algorithm>

namespace {
double now() { return Clock::current()->monotonicTime(); }
} // namespace

CALayer::CALayer(UIView* view) : view_(view) {}

CALayer::~CALayer()
{
    CAAnimationScheduler::shared().forgetLayer(this);
    for (const auto& [key, animation] : animations_) {
        stopLater(animation);
    }
}

void CALayer::stopLater(const std::shared_ptr<CAAnimation>& animation)
{
    if (animation->stopReported()) {
        return;
    }
    animation->markStopReported();
    // Reported on the next run of the main loop, never from inside the call that removed it.
    NSRunLoop::mainRunLoop().performBlock([animation] {
        if (auto delegate = animation->delegate()) {
            delegate->animationDidStopFinished(*animation, false);
        }
    });
}

void CALayer::addAnimationForKey(const std::shared_ptr<CAAnimation>& animation, const std::string& key)
{
    if (!animation) {
        return;
    }
    const std::string used = key.empty() ? "animation-" + std::to_string(++nextKey_) : key;
    removeAnimationForKey(used);
    animation->startAt(now());
    if (auto transition = std::dynamic_pointer_cast<CATransition>(animation)) {
        CATransaction::withCommittedTree([&] { transition->setPreviousContent(UIRenderer::renderLayerContent(*view_)); });
    }
    animations_.emplace_back(used, animation);
    CAAnimationScheduler::shared().layerDidChange(this);
}

void CALayer::removeAnimationForKey(const std::string& key)
{
    auto found = std::find_if(animations_.begin(), animations_.end(), [&key](const auto& entry) { return entry.first == key; });
    if (found == animations_.end()) {
        return;
    }
    const std::shared_ptr<CAAnimation> removed = found->second;
    animations_.erase(found);
    stopLater(removed);
    CAAnimationScheduler::shared().layerDidChange(this);
}

void CALayer::removeAllAnimations()
{
    auto removed = std::move(animations_);
    animations_.clear();
    for (const auto& [key, animation] : removed) {
        stopLater(animation);
    }
    CAAnimationScheduler::shared().layerDidChange(this);
}

std::shared_ptr<CAAnimation> CALayer::animationForKey(const std::string& key) const
{
    for (const auto& [k, animation] : animations_) {
        if (k == key) {
            return animation;
        }
    }
    return nullptr;
}

std::vector<std::string> CALayer::animationKeys() const
{
    std::vector<std::string> keys;
    for (const auto& [key, animation] : animations_) {
        keys.push_back(key);
    }
    return keys;
}

std::optional<CAAnimationValue> CALayer::presentationValue(const std::string& keyPath, double time) const
{
    for (auto it = animations_.rbegin(); it != animations_.rend(); ++it) {
        const auto* basic = dynamic_cast<const CABasicAnimation*>(it->second.get());
        if (basic == nullptr || basic->keyPath() != keyPath) {
            continue;
        }
        if (const std::optional<double> fraction = basic->progressAt(time)) {
            return basic->valueAt(*fraction);
        }
    }
    return std::nullopt;
}

std::shared_ptr<CATransition> CALayer::activeTransition(double time, double* progress) const
{
    for (auto it = animations_.rbegin(); it != animations_.rend(); ++it) {
        auto transition = std::dynamic_pointer_cast<CATransition>(it->second);
        if (!transition) {
            continue;
        }
        if (const std::optional<double> shown = transition->transitionProgressAt(time)) {
            if (progress != nullptr) {
                *progress = *shown;
            }
            return transition;
        }
    }
    return nullptr;
}

std::optional<double> CALayer::nextEndTime() const
{
    std::optional<double> earliest;
    for (const auto& [key, animation] : animations_) {
        if (!animation->stopReported() && (!earliest || animation->endTime() < *earliest)) {
            earliest = animation->endTime();
        }
    }
    return earliest;
}

std::vector<std::shared_ptr<CAAnimation>> CALayer::finishAnimationsEndedBy(double time)
{
    std::vector<std::shared_ptr<CAAnimation>> ended;
    for (const auto& [key, animation] : animations_) {
        if (!animation->stopReported() && animation->hasEndedAt(time)) {
            animation->markStopReported();
            ended.push_back(animation);
        }
    }
    animations_.erase(std::remove_if(animations_.begin(), animations_.end(),
                                     [time](const auto& entry) {
                                         return entry.second->isRemovedOnCompletion() && entry.second->hasEndedAt(time);
                                     }),
                      animations_.end());
    return ended;
}

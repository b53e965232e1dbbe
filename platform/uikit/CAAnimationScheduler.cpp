#include "CAAnimationScheduler.h"

#include "CALayer.h"
#include "Clock.h"
#include "NSRunLoop.h"
#include "NSTimer.h"

#include <algorithm>
#include <vector>

CAAnimationScheduler& CAAnimationScheduler::shared()
{
    static CAAnimationScheduler* scheduler = new CAAnimationScheduler();  // used until the process ends
    return *scheduler;
}

void CAAnimationScheduler::layerDidChange(CALayer* layer)
{
    if (layer->nextEndTime()) {
        layers_.insert(layer);
    } else {
        layers_.erase(layer);
    }
    reschedule();
}

void CAAnimationScheduler::forgetLayer(CALayer* layer)
{
    if (layers_.erase(layer) != 0) {
        reschedule();
    }
}

void CAAnimationScheduler::processDueAnimations()
{
    const double now = Clock::current()->monotonicTime();
    std::vector<std::shared_ptr<CAAnimation>> ended;
    for (CALayer* layer : std::vector<CALayer*>(layers_.begin(), layers_.end())) {
        for (auto& animation : layer->finishAnimationsEndedBy(now)) {
            ended.push_back(std::move(animation));
        }
        if (!layer->nextEndTime()) {
            layers_.erase(layer);
        }
    }
    reschedule();
    // Delegates run last: they may start new animations or release views and their layers.
    for (const auto& animation : ended) {
        if (auto delegate = animation->delegate()) {
            delegate->animationDidStopFinished(*animation, true);
        }
    }
}

void CAAnimationScheduler::reschedule()
{
    std::optional<double> earliest;
    for (const CALayer* layer : layers_) {
        const std::optional<double> end = layer->nextEndTime();
        if (end && (!earliest || *end < *earliest)) {
            earliest = end;
        }
    }
    if (timer_ && (!earliest || *earliest != timerFireTime_)) {
        timer_->invalidate();
        timer_.reset();
    }
    if (!earliest || timer_) {
        return;
    }
    const double delay = std::max(0.0, *earliest - Clock::current()->monotonicTime());
    timerFireTime_ = *earliest;
    timer_ = NSRunLoop::mainRunLoop().performAfterDelay(delay, [this] {
        timer_.reset();
        processDueAnimations();
    });
}

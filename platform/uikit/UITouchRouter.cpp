#include "UITouchRouter.h"

#include "Clock.h"
#include "UIEvent.h"
#include "UIScreen.h"
#include "UIWindow.h"

#include <algorithm>

namespace {
double now() { return Clock::current()->monotonicTime(); }
} // namespace

CGPoint UITouchRouter::inWindow(const UIWindow* window, CGPoint screenPoint)
{
    return CGPointApplyAffineTransform(screenPoint, CGAffineTransformInvert(window->transformToSuperview()));
}

int UITouchRouter::beginTouch(CGPoint screenPoint)
{
    const auto screen = UIScreen::mainScreen();
    screen->layOutVisibleWindows();
    const std::vector<UIWindow*> windows = screen->visibleWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        UIWindow* window = *it;
        const CGPoint point = inWindow(window, screenPoint);
        UIView* hit = window->hitTestWithEvent(point, nullptr);
        if (hit == nullptr) {
            continue;
        }
        UIView* exclusive = hit->_exclusiveTouchView();
        if (exclusive != nullptr && exclusive != hit) {
            return -1;
        }
        if (hit->isExclusiveTouch()) {
            window->setExclusiveTouchView(hit);
        }
        auto touch = std::make_shared<UITouch>(
            hit->sharedView(), std::static_pointer_cast<UIWindow>(window->sharedView()), point, now());
        const int identifier = nextTouch_++;
        touches_.emplace(identifier, touch);
        deliver(touch);
        return identifier;
    }
    return -1;
}

void UITouchRouter::moveTouch(int identifier, CGPoint screenPoint)
{
    auto found = touches_.find(identifier);
    if (found == touches_.end()) {
        return;
    }
    const std::shared_ptr<UITouch> touch = found->second;
    UIScreen::mainScreen()->layOutVisibleWindows();
    touch->moveTo(inWindow(touch->window(), screenPoint), UITouchPhaseMoved, now());
    deliver(touch);
}

void UITouchRouter::finish(int identifier, UITouchPhase phase, CGPoint screenPoint, bool moves)
{
    auto found = touches_.find(identifier);
    if (found == touches_.end()) {
        return;
    }
    const std::shared_ptr<UITouch> touch = found->second;
    UIScreen::mainScreen()->layOutVisibleWindows();
    if (moves) {
        touch->moveTo(inWindow(touch->window(), screenPoint), phase, now());
    } else {
        touch->setPhase(phase);
    }
    deliver(touch);
    touches_.erase(identifier);
    UIWindow* window = touch->window();
    if (window->_exclusiveTouchView() == touch->view()) {
        window->setExclusiveTouchView(nullptr);
    }
}

void UITouchRouter::endTouch(int identifier, CGPoint screenPoint)
{
    finish(identifier, UITouchPhaseEnded, screenPoint, true);
}

void UITouchRouter::cancelTouch(int identifier) { finish(identifier, UITouchPhaseCancelled, CGPointZero, false); }

void UITouchRouter::cancelAllTouches()
{
    while (!touches_.empty()) {
        cancelTouch(touches_.begin()->first);
    }
}

bool UITouchRouter::tap(CGPoint screenPoint)
{
    const int touch = beginTouch(screenPoint);
    if (touch < 0) {
        return false;
    }
    endTouch(touch, screenPoint);
    return true;
}

bool UITouchRouter::drag(CGPoint from, CGPoint to, int steps)
{
    const int touch = beginTouch(from);
    if (touch < 0) {
        return false;
    }
    const int count = std::max(steps, 1);
    for (int step = 1; step <= count; ++step) {
        const CGFloat progress = static_cast<CGFloat>(step) / count;
        moveTouch(touch, CGPointMake(from.x + (to.x - from.x) * progress, from.y + (to.y - from.y) * progress));
    }
    endTouch(touch, to);
    return true;
}

void UITouchRouter::deliver(const std::shared_ptr<UITouch>& changed)
{
    UITouchSet all;
    for (const auto& [identifier, touch] : touches_) {
        if (touch != changed && touch->phase() != UITouchPhaseEnded && touch->phase() != UITouchPhaseCancelled) {
            touch->setPhase(UITouchPhaseStationary);
        }
        all.push_back(touch);
    }
    UIEvent event(std::move(all), changed->timestamp());
    const std::shared_ptr<UIView> window = changed->window()->sharedView();
    changed->window()->sendEvent(&event);
}

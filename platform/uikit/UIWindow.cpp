#include "UIWindow.h"

#include "UIScreen.h"

#include <algorithm>
#include <map>

namespace {
UIWindow* theKeyWindow = nullptr;
} // namespace

UIWindow::UIWindow() : UIWindow(CGRectZero) {}

UIWindow::UIWindow(CGRect frame) : UIView(frame)
{
    UIView::setHidden(true);
    UIScreen::mainScreen()->addWindow(this);
}

UIWindow::~UIWindow()
{
    if (theKeyWindow == this) {
        theKeyWindow = nullptr;
    }
    UIScreen::mainScreen()->removeWindow(this);
}

void UIWindow::setHidden(bool hidden)
{
    if (isHidden() && !hidden) {
        orderStamp_ = UIScreen::mainScreen()->nextOrderStamp();
    }
    UIView::setHidden(hidden);
}

void UIWindow::makeKeyAndVisible()
{
    setHidden(false);
    orderStamp_ = UIScreen::mainScreen()->nextOrderStamp();
    makeKeyWindow();
}

void UIWindow::makeKeyWindow() { theKeyWindow = this; }

bool UIWindow::isKeyWindow() const { return theKeyWindow == this; }

UIWindow* UIWindow::keyWindow() { return theKeyWindow; }

void UIWindow::sendEvent(UIEvent* event)
{
    // Group the window's touches by view and phase, keeping the order in which views first appear.
    std::vector<UIView*> views;
    std::map<std::pair<UIView*, UITouchPhase>, UITouchSet> groups;
    for (const auto& touch : event->touchesForWindow(this)) {
        if (touch->view() == nullptr) {
            continue;
        }
        if (std::find(views.begin(), views.end(), touch->view()) == views.end()) {
            views.push_back(touch->view());
        }
        groups[{touch->view(), touch->phase()}].push_back(touch);
    }
    for (UIView* view : views) {
        const std::shared_ptr<UIView> keep = view->sharedView();
        if (auto found = groups.find({view, UITouchPhaseBegan}); found != groups.end()) {
            view->touchesBeganWithEvent(found->second, event);
        }
        if (auto found = groups.find({view, UITouchPhaseMoved}); found != groups.end()) {
            view->touchesMovedWithEvent(found->second, event);
        }
        if (auto found = groups.find({view, UITouchPhaseEnded}); found != groups.end()) {
            view->touchesEndedWithEvent(found->second, event);
        }
        if (auto found = groups.find({view, UITouchPhaseCancelled}); found != groups.end()) {
            view->touchesCancelledWithEvent(found->second, event);
        }
    }
}

UIView* UIWindow::_exclusiveTouchView() { return exclusiveTouchView_; }

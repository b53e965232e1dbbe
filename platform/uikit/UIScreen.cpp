#include "UIScreen.h"

#include "UIWindow.h"

#include <algorithm>

std::shared_ptr<UIScreen> UIScreen::mainScreen()
{
    // Never destroyed: windows held by other singletons leave the screen when they are destroyed at exit,
    // which may come after this function's statics would have gone.
    static const auto* const screen = new std::shared_ptr<UIScreen>(std::make_shared<UIScreen>());
    return *screen;
}

bool UIScreen::instancesRespondToSelector(std::string_view selector)
{
    return selector == "scale" || selector == "bounds" || selector == "applicationFrame";
}

bool UIScreen::setScale(CGFloat scale)
{
    if (scale != 1 && scale != 2) {
        return false;
    }
    scale_.store(scale);
    return true;
}

std::vector<UIWindow*> UIScreen::visibleWindows() const
{
    std::vector<UIWindow*> visible;
    std::copy_if(windows_.begin(), windows_.end(), std::back_inserter(visible),
        [](const UIWindow* window) { return !window->isHidden(); });
    std::stable_sort(visible.begin(), visible.end(), [](const UIWindow* a, const UIWindow* b) {
        if (a->windowLevel() != b->windowLevel()) {
            return a->windowLevel() < b->windowLevel();
        }
        return a->orderStamp() < b->orderStamp();
    });
    return visible;
}

void UIScreen::layOutVisibleWindows() const
{
    for (UIWindow* window : visibleWindows()) {
        const std::shared_ptr<UIView> keep = window->sharedView(); // a layout may let the window go
        window->layoutIfNeeded();
    }
}

void UIScreen::addWindow(UIWindow* window) { windows_.push_back(window); }

void UIScreen::removeWindow(UIWindow* window)
{
    windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
}

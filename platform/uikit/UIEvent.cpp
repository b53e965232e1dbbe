#include "UIEvent.h"

#include "UIView.h"
#include "UIWindow.h"

#include <algorithm>

UITouchSet UIEvent::touchesForView(const UIView* view) const
{
    UITouchSet found;
    std::copy_if(touches_.begin(), touches_.end(), std::back_inserter(found),
                 [view](const std::shared_ptr<UITouch>& touch) { return touch->view() == view; });
    return found;
}

UITouchSet UIEvent::touchesForWindow(const UIWindow* window) const
{
    UITouchSet found;
    std::copy_if(touches_.begin(), touches_.end(), std::back_inserter(found),
                 [window](const std::shared_ptr<UITouch>& touch) { return touch->window() == window; });
    return found;
}

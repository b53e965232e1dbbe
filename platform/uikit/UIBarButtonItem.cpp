#include "UIBarButtonItem.h"

namespace {

std::string titleOfSystemItem(UIBarButtonSystemItem item) { return item == UIBarButtonSystemItemDone ? "Done" : ""; }

UIBarButtonItemStyle styleOfSystemItem(UIBarButtonSystemItem item)
{
    return item == UIBarButtonSystemItemDone ? UIBarButtonItemStyleDone : UIBarButtonItemStyleBordered;
}

} // namespace

UIBarButtonItem::UIBarButtonItem(UIBarButtonSystemItem systemItem, const void* target, Action action)
    : systemItem_(systemItem),
      title_(titleOfSystemItem(systemItem)),
      style_(styleOfSystemItem(systemItem)),
      target_(target),
      action_(std::move(action))
{
}

UIBarButtonItem::UIBarButtonItem(std::string title, UIBarButtonItemStyle style, const void* target, Action action)
    : title_(std::move(title)), style_(style), target_(target), action_(std::move(action))
{
}

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItem systemItem,
                                                                              const void* target, Action action)
{
    return std::make_shared<UIBarButtonItem>(systemItem, target, std::move(action));
}

void UIBarButtonItem::setTargetAction(const void* target, Action action)
{
    target_ = target;
    action_ = std::move(action);
}

void UIBarButtonItem::sendAction() const
{
    if (enabled_ && action_) {
        // A copy, so that an action that replaces the item's action finishes running.
        const Action action = action_;
        action();
    }
}

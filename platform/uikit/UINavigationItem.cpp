#include "UINavigationItem.h"

#include "UINavigationBar.h"

UINavigationItem::UINavigationItem(std::string title) : title_(std::move(title)) {}

void UINavigationItem::setTitle(std::string title)
{
    title_ = std::move(title);
    changed();
}

void UINavigationItem::setRightBarButtonItem(std::shared_ptr<UIBarButtonItem> item)
{
    rightBarButtonItem_ = std::move(item);
    changed();
}

void UINavigationItem::setRightBarButtonItemAnimated(std::shared_ptr<UIBarButtonItem> item, bool)
{
    setRightBarButtonItem(std::move(item));
}

void UINavigationItem::changed()
{
    if (navigationBar_ != nullptr) {
        navigationBar_->itemDidChange(*this);
    }
}

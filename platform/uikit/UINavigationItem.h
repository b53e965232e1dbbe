#pragma once

#include "UIBarButtonItem.h"

#include <memory>
#include <string>

class UINavigationBar;

// What a navigation bar shows for one page: the title in the middle and an optional button on the right.
// The bar that shows the item is told of every change.
class UINavigationItem final : public NSObject {
public:
    explicit UINavigationItem(std::string title = {});

    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    const std::shared_ptr<UIBarButtonItem>& rightBarButtonItem() const { return rightBarButtonItem_; }
    void setRightBarButtonItem(std::shared_ptr<UIBarButtonItem> item);
    void setRightBarButtonItemAnimated(std::shared_ptr<UIBarButtonItem> item, bool animated);

    // The bar whose stack holds the item (not retained); set by the bar.
    UINavigationBar* navigationBar() const { return navigationBar_; }
    void setNavigationBar(UINavigationBar* bar) { navigationBar_ = bar; }

    std::string className() const override { return "UINavigationItem"; }

private:
    void changed();

    std::string title_;
    std::shared_ptr<UIBarButtonItem> rightBarButtonItem_;
    UINavigationBar* navigationBar_ = nullptr;
};

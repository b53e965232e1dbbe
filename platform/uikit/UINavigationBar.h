#pragma once

#include "UILabel.h"
#include "UINavigationButton.h"
#include "UINavigationItem.h"
#include "UIView.h"

#include <functional>
#include <memory>
#include <vector>

// The 44-point bar above a navigation controller's pages: a blue-grey gloss with the top item's title in
// the middle (white, bold 20, shortened to the room between the buttons), a back button titled with the
// item below the top one (when there is one) on the left, and the top item's right bar button item on the
// right. A tap on the back button runs the back action (the navigation controller pops); a tap on the
// right button sends that item's action. Items are retained.
class UINavigationBar : public UIView {
public:
    static constexpr CGFloat height = 44;

    explicit UINavigationBar(CGRect frame);
    ~UINavigationBar() override;

    const std::vector<std::shared_ptr<UINavigationItem>>& items() const { return items_; }
    UINavigationItem* topItem() const;
    UINavigationItem* backItem() const;
    void pushNavigationItem(std::shared_ptr<UINavigationItem> item, bool animated);
    std::shared_ptr<UINavigationItem> popNavigationItem(bool animated);
    void setItems(std::vector<std::shared_ptr<UINavigationItem>> items);

    void setBackAction(std::function<void()> action) { backAction_ = std::move(action); }

    // The views showing the top item (null when there is none of that kind).
    UILabel* titleLabel() const { return titleLabel_.get(); }
    UINavigationButton* backButton() const { return backButton_.get(); }
    UINavigationButton* rightButton() const { return rightButton_.get(); }

    // Called by an item of the stack when its title or button changes.
    void itemDidChange(const UINavigationItem& item);

    void layoutSubviews() override;
    void drawRect(CGRect rect) override;

    std::string className() const override { return "UINavigationBar"; }

private:
    void showTopItem(bool animated);
    void replaceButton(std::shared_ptr<UINavigationButton>& slot, std::shared_ptr<UINavigationButton> button);
    void back();

    std::vector<std::shared_ptr<UINavigationItem>> items_;
    std::shared_ptr<UILabel> titleLabel_;
    std::shared_ptr<UINavigationButton> backButton_;
    std::shared_ptr<UINavigationButton> rightButton_;
    std::function<void()> backAction_;
};

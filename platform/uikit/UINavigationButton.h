#pragma once

#include "UIBarButtonItem.h"
#include "UIButton.h"

#include <memory>
#include <string>

// The button a navigation bar shows: a bordered rounded button in the bar's blue-grey (a brighter blue for
// the done style), the back button pointed on its left, or the plus sign of an "Add" item. Its title is
// white, bold 12 (back and bordered) and drawn with a dark shadow. A button for a bar button item sends
// the item's action on touch up inside; the item is retained.
class UINavigationButton : public UIButton {
public:
    enum class Kind { Bordered, Done, Back, Add };

    static constexpr CGFloat height = 30;

    UINavigationButton(Kind kind, std::string title);
    static std::shared_ptr<UINavigationButton> buttonForItem(std::shared_ptr<UIBarButtonItem> item);

    Kind kind() const { return kind_; }
    const std::shared_ptr<UIBarButtonItem>& item() const { return item_; }
    // The width it wants: the title's width with its margins, at least 30 points wide, at most maxWidth.
    CGFloat preferredWidth(CGFloat maxWidth) const;

    void drawRect(CGRect rect) override;
    void layoutSubviews() override;

    std::string className() const override { return "UINavigationButton"; }

private:
    void addButtonPath(CGContext& context, CGRect rect) const;
    void drawPlus(CGContext& context) const;

    const Kind kind_;
    std::shared_ptr<UIBarButtonItem> item_;
};

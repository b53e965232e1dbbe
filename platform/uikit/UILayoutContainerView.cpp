#include "UILayoutContainerView.h"

UILayoutContainerView::UILayoutContainerView(CGRect frame, std::function<void()> layout)
    : UIView(frame), layout_(std::move(layout))
{
}

void UILayoutContainerView::layoutSubviews()
{
    if (layout_) {
        layout_();
    }
}

#pragma once

#include "UIView.h"

#include <functional>

// A plain view that hands its layout to its owner: the view of a controller that places its subviews
// itself (the navigation controller's bar and pages).
class UILayoutContainerView : public UIView {
public:
    explicit UILayoutContainerView(CGRect frame, std::function<void()> layout);

    void layoutSubviews() override;

    std::string className() const override { return "UILayoutContainerView"; }

private:
    std::function<void()> layout_;
};

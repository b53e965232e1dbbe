#pragma once

#include "SBIcon.h"
#include "UIView.h"

#include <functional>
#include <memory>

// One application on the home screen or in the switcher: its icon with a soft shadow and its name beneath.
// A tap (a touch that ends on the view) calls the tap handler; the icon darkens while pressed.
class SBIconView : public UIView {
public:
    static constexpr CGFloat kWidth = 76;
    static constexpr CGFloat kHeight = 86;
    static constexpr CGFloat kIconSize = 57;

    explicit SBIconView(std::shared_ptr<SBIcon> icon);

    const std::shared_ptr<SBIcon>& icon() const { return icon_; }
    void setTapHandler(std::function<void(const std::shared_ptr<SBApplication>&)> handler)
    {
        tap_ = std::move(handler);
    }

    void drawRect(CGRect rect) override;
    void touchesBeganWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesEndedWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesCancelledWithEvent(const UITouchSet& touches, UIEvent* event) override;
    std::string className() const override { return "SBIconView"; }

private:
    std::shared_ptr<SBIcon> icon_;
    std::shared_ptr<UIImage> image_;
    std::function<void(const std::shared_ptr<SBApplication>&)> tap_;
    bool pressed_ = false;
};

#pragma once

#include "UIControl.h"

// The on/off switch of a settings row: a 94 × 27 rounded track, blue with "ON" at the left when on, light
// grey with "OFF" at the right when off, and a white knob at the other end. A tap (touch up inside) flips
// it and reports a value change; setOn from code reports nothing, as on the platform.
class UISwitch : public UIControl {
public:
    static constexpr CGFloat width = 94;
    static constexpr CGFloat height = 27;

    // The switch keeps its own size: the frame's origin is used, its size is not.
    explicit UISwitch(CGRect frame = CGRectZero);

    bool isOn() const { return on_; }
    void setOn(bool on);
    void setOnAnimated(bool on, bool animated);

    void setFrame(CGRect frame) override;
    void drawRect(CGRect rect) override;
    CGSize sizeThatFits(CGSize size) override;

    std::string className() const override { return "UISwitch"; }

private:
    void flip();

    bool on_ = false;
};

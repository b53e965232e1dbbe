#pragma once

#include "UIButton.h"
#include "UIImageView.h"
#include "UIView.h"

#include <memory>

// The actions bar: three large buttons ("Clear" in red, "Collapse All" and "Expand All" in white) above a
// shadow strip along the bottom edge. The panel makes a new bar each time it shows it, with its table's
// frame, and uncovers it by curling the list up; the bar only lays out its buttons and forwards their taps.
//
// The buttons sit at fixed offsets from the bottom edge, for the two widths of the screen: 320 points
// (portrait) and 480 points (landscape). The width counts without its fraction; at any other width the
// buttons keep their frames. Main thread only.
class VTActions final : public UIView {
public:
    // What the buttons send, on touch up inside. The panel is the target.
    class Target {
    public:
        virtual ~Target() = default;
        virtual void clear() = 0;
        virtual void collapse() = 0;
        virtual void expand() = 0;
    };

    explicit VTActions(CGRect frame);

    void setFrame(CGRect frame) override;
    // Connects the buttons to the target (not retained: the panel owns the bar). Setting another target
    // replaces the first.
    void setTarget(Target* target);

    UIButton& clearButton() const { return *clear_; }
    UIButton& collapseButton() const { return *collapse_; }
    UIButton& expandButton() const { return *expand_; }
    UIImageView& bottomShadow() const { return *bottomShadow_; }

    std::string className() const override { return "VTActions"; }

    static constexpr const char* kShadowPath = "/Applications/Vantle.app/ActionShadow.png";
    static constexpr CGFloat kShadowHeight = 19;

private:
    void layOutButtonsForWidth(unsigned width, CGFloat height);
    void loadButtonImagesForWidth(unsigned width);

    std::shared_ptr<UIButton> clear_;
    std::shared_ptr<UIButton> collapse_;
    std::shared_ptr<UIButton> expand_;
    std::shared_ptr<UIImageView> bottomShadow_;
};

#pragma once

#include "CGGeometry.h"
#include "NSObject.h"

#include <memory>

// An immutable colour: red, green, blue and alpha, each in 0..1 (values outside are clamped). A colour
// made from a white level is the grey whose three components all have that value.
class UIColor final : public NSObject {
public:
    UIColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);

    static std::shared_ptr<UIColor> colorWithRedGreenBlueAlpha(CGFloat red, CGFloat green, CGFloat blue,
                                                                CGFloat alpha);
    static std::shared_ptr<UIColor> colorWithWhiteAlpha(CGFloat white, CGFloat alpha);

    static std::shared_ptr<UIColor> blackColor();
    static std::shared_ptr<UIColor> whiteColor();
    static std::shared_ptr<UIColor> clearColor();
    static std::shared_ptr<UIColor> grayColor();
    static std::shared_ptr<UIColor> darkGrayColor();
    static std::shared_ptr<UIColor> lightGrayColor();
    static std::shared_ptr<UIColor> redColor();
    static std::shared_ptr<UIColor> blueColor();
    // The linen-like grey shown beneath a curled page: a mid blue-grey (0.44, 0.46, 0.51).
    static std::shared_ptr<UIColor> underPageBackgroundColor();

    std::shared_ptr<UIColor> colorWithAlphaComponent(CGFloat alpha) const;

    CGFloat red() const { return red_; }
    CGFloat green() const { return green_; }
    CGFloat blue() const { return blue_; }
    CGFloat alpha() const { return alpha_; }

    std::string description() const override;
    std::string className() const override { return "UIColor"; }
    bool isEqual(const NSObject& other) const override;

private:
    const CGFloat red_, green_, blue_, alpha_;
};

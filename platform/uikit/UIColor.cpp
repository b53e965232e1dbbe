#include "UIColor.h"

#include <algorithm>
#include <cstdio>

namespace {
CGFloat clamped(CGFloat value) { return std::clamp(value, 0.0, 1.0); }
} // namespace

UIColor::UIColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
    : red_(clamped(red)), green_(clamped(green)), blue_(clamped(blue)), alpha_(clamped(alpha))
{
}

std::shared_ptr<UIColor> UIColor::colorWithRedGreenBlueAlpha(CGFloat red, CGFloat green, CGFloat blue,
                                                              CGFloat alpha)
{
    return std::make_shared<UIColor>(red, green, blue, alpha);
}

std::shared_ptr<UIColor> UIColor::colorWithWhiteAlpha(CGFloat white, CGFloat alpha)
{
    return std::make_shared<UIColor>(white, white, white, alpha);
}

std::shared_ptr<UIColor> UIColor::blackColor() { return colorWithWhiteAlpha(0, 1); }
std::shared_ptr<UIColor> UIColor::whiteColor() { return colorWithWhiteAlpha(1, 1); }
std::shared_ptr<UIColor> UIColor::clearColor() { return colorWithWhiteAlpha(0, 0); }
std::shared_ptr<UIColor> UIColor::grayColor() { return colorWithWhiteAlpha(0.5, 1); }
std::shared_ptr<UIColor> UIColor::darkGrayColor() { return colorWithWhiteAlpha(1.0 / 3, 1); }
std::shared_ptr<UIColor> UIColor::lightGrayColor() { return colorWithWhiteAlpha(2.0 / 3, 1); }
std::shared_ptr<UIColor> UIColor::redColor() { return colorWithRedGreenBlueAlpha(1, 0, 0, 1); }
std::shared_ptr<UIColor> UIColor::blueColor() { return colorWithRedGreenBlueAlpha(0, 0, 1, 1); }

std::shared_ptr<UIColor> UIColor::underPageBackgroundColor()
{
    return colorWithRedGreenBlueAlpha(0.44, 0.46, 0.51, 1);
}

std::shared_ptr<UIColor> UIColor::colorWithAlphaComponent(CGFloat alpha) const
{
    return std::make_shared<UIColor>(red_, green_, blue_, alpha);
}

std::string UIColor::description() const
{
    char text[96];
    std::snprintf(text, sizeof text, "UIDeviceRGBColorSpace %g %g %g %g", red_, green_, blue_, alpha_);
    return text;
}

bool UIColor::isEqual(const NSObject& other) const
{
    const auto* color = dynamic_cast<const UIColor*>(&other);
    return color != nullptr && color->red_ == red_ && color->green_ == green_ && color->blue_ == blue_ &&
           color->alpha_ == alpha_;
}

#include "UITextField.h"

#include "NSString-UIStringDrawing.h"
#include "UIGraphics.h"

#include <cmath>

namespace {

constexpr CGFloat kCornerRadius = 6;
constexpr CGFloat kTextInset = 7;

} // namespace

UITextField::UITextField(CGRect frame) : UIControl(frame), font_(UIFont::systemFontOfSize(17))
{
    setOpaque(false);
}

void UITextField::setText(std::string text)
{
    text_ = std::move(text);
    setNeedsDisplay();
}

void UITextField::insertText(const std::string& typed)
{
    text_ += typed;
    setNeedsDisplay();
    sendActionsForControlEvents(UIControlEventValueChanged);
}

void UITextField::setPlaceholder(std::string placeholder)
{
    placeholder_ = std::move(placeholder);
    setNeedsDisplay();
}

void UITextField::setFont(std::shared_ptr<UIFont> font)
{
    font_ = std::move(font);
    setNeedsDisplay();
}

void UITextField::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    const CGRect box = CGRectInset(bounds(), 0.5, 0.5);
    context->setGrayFillColor(1, 1);
    context->addRoundedRect(box, kCornerRadius);
    context->fillPath();
    context->setGrayStrokeColor(0.45, 1);
    context->setLineWidth(1);
    context->addRoundedRect(box, kCornerRadius);
    context->strokePath();

    const bool showsPlaceholder = text_.empty();
    const std::string& shown = showsPlaceholder ? placeholder_ : text_;
    if (shown.empty() || font_ == nullptr) {
        return;
    }
    const CGFloat lineHeight = std::ceil(font_->lineHeight());
    const CGRect textRect = CGRectMake(kTextInset, std::floor((bounds().size.height - lineHeight) / 2),
                                       std::max<CGFloat>(0, bounds().size.width - 2 * kTextInset), lineHeight);
    context->setGrayFillColor(showsPlaceholder ? 0.7 : 0, 1);
    drawInRectWithFontLineBreakMode(shown, textRect, font_, UILineBreakModeTailTruncation);
}

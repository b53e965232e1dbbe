#include "UILabel.h"

#include "CGContextStateSaver.h"
#include "UIGraphics.h"
#include "UITextEngine.h"

#include <algorithm>
#include <cmath>

UILabel::UILabel() : UILabel(CGRectZero) {}

UILabel::UILabel(CGRect frame)
    : UIView(frame), font_(UIFont::systemFontOfSize(UIFont::labelFontSize())), textColor_(UIColor::blackColor())
{
    setBackgroundColor(UIColor::whiteColor());
    setUserInteractionEnabled(false);
}

void UILabel::setText(std::string text)
{
    text_ = std::move(text);
    setNeedsDisplay();
}

void UILabel::setFont(std::shared_ptr<UIFont> font)
{
    font_ = font ? std::move(font) : UIFont::systemFontOfSize(UIFont::labelFontSize());
    setNeedsDisplay();
}

void UILabel::setTextColor(std::shared_ptr<UIColor> color)
{
    textColor_ = color ? std::move(color) : UIColor::blackColor();
    setNeedsDisplay();
}

void UILabel::setHighlightedTextColor(std::shared_ptr<UIColor> color)
{
    highlightedTextColor_ = std::move(color);
    setNeedsDisplay();
}

void UILabel::setTextAlignment(UITextAlignment alignment)
{
    textAlignment_ = alignment;
    setNeedsDisplay();
}

void UILabel::setShadowColor(std::shared_ptr<UIColor> color)
{
    shadowColor_ = std::move(color);
    setNeedsDisplay();
}

void UILabel::setShadowOffset(CGSize offset)
{
    shadowOffset_ = offset;
    setNeedsDisplay();
}

void UILabel::setNumberOfLines(int lines)
{
    numberOfLines_ = std::max(0, lines);
    setNeedsDisplay();
}

void UILabel::setLineBreakMode(UILineBreakMode mode)
{
    lineBreakMode_ = mode;
    setNeedsDisplay();
}

void UILabel::setAdjustsFontSizeToFitWidth(bool adjusts)
{
    adjustsFontSizeToFitWidth_ = adjusts;
    setNeedsDisplay();
}

void UILabel::setMinimumFontSize(CGFloat size)
{
    minimumFontSize_ = std::max<CGFloat>(0, size);
    setNeedsDisplay();
}

void UILabel::setHighlighted(bool highlighted)
{
    highlighted_ = highlighted;
    setNeedsDisplay();
}

void UILabel::setEnabled(bool enabled)
{
    enabled_ = enabled;
    setNeedsDisplay();
}

std::shared_ptr<UIFont> UILabel::fontUsed() const
{
    if (!adjustsFontSizeToFitWidth_ || numberOfLines_ != 1 || text_.empty()) {
        return font_;
    }
    CGFloat actual = font_->pointSize();
    sizeWithFontMinFontSizeActualFontSizeForWidthLineBreakMode(text_, font_, std::max<CGFloat>(1, minimumFontSize_),
                                                               &actual, bounds().size.width, lineBreakMode_);
    return actual == font_->pointSize() ? font_ : font_->fontWithSize(actual);
}

CGSize UILabel::textSize(const std::shared_ptr<UIFont>& font, CGSize bound) const
{
    if (numberOfLines_ == 1) {
        return sizeWithFontForWidthLineBreakMode(text_, font, bound.width, lineBreakMode_);
    }
    CGFloat height = bound.height;
    if (numberOfLines_ > 1) {
        height = std::min(height, numberOfLines_ * font->lineHeight() + 0.5);
    }
    return sizeWithFontConstrainedToSizeLineBreakMode(text_, font, CGSizeMake(bound.width, height), lineBreakMode_);
}

CGRect UILabel::textRectForBounds(CGRect bounds) const
{
    const CGSize size = textSize(fontUsed(), bounds.size);
    const CGFloat y = bounds.origin.y + std::floor((bounds.size.height - size.height) / 2);
    return CGRectMake(bounds.origin.x, y, bounds.size.width, size.height);
}

void UILabel::drawRect(CGRect) { drawTextInRect(textRectForBounds(bounds())); }

void UILabel::drawTextInRect(CGRect rect)
{
    if (text_.empty()) {
        return;
    }
    const std::shared_ptr<UIFont> font = fontUsed();
    if (shadowColor_ && shadowColor_->alpha() > 0) {
        drawText(CGRectOffset(rect, shadowOffset_.width, shadowOffset_.height), font, shadowColor_);
    }
    const bool useHighlight = highlighted_ && highlightedTextColor_;
    std::shared_ptr<UIColor> colour = useHighlight ? highlightedTextColor_ : textColor_;
    if (!enabled_) {
        colour = colour->colorWithAlphaComponent(colour->alpha() * 0.5);
    }
    drawText(rect, font, colour);
}

void UILabel::drawText(CGRect rect, const std::shared_ptr<UIFont>& font, const std::shared_ptr<UIColor>& color)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    CGContextStateSaver saved(*context);
    context->setFillColorWithColor(color);
    if (numberOfLines_ == 1) {
        context->useFillColorAsSource();
        UITextEngine::shared().draw(
            context->cairo(),
            UITextEngine::Request{text_, font.get(), rect.size.width, 0, lineBreakMode_, true, textAlignment_},
            rect.origin);
    } else {
        drawInRectWithFontLineBreakModeAlignment(text_, rect, font, lineBreakMode_, textAlignment_);
    }
}

CGSize UILabel::sizeThatFits(CGSize size)
{
    if (numberOfLines_ == 1) {
        return sizeWithFont(text_, font_);
    }
    const CGFloat width = size.width > 0 ? size.width : 1e6;
    return textSize(font_, CGSizeMake(width, 1e6));
}

#pragma once

#include "NSString-UIStringDrawing.h"
#include "UIFont.h"
#include "UIView.h"

#include <string>

// A read-only text: drawn in its font and colour, aligned across its width and centred vertically in its
// bounds, with an optional shadow drawn first at the shadow offset. One line by default (cut with an
// ellipsis at the end); numberOfLines 0 means as many as the height holds. A single-line label with
// adjustsFontSizeToFitWidth shrinks its font, down to minimumFontSize, until the text fits the width.
// Defaults as on the platform: system font 17, black text, white background, no shadow (offset 0, -1),
// not interactive.
class UILabel : public UIView {
public:
    UILabel();
    explicit UILabel(CGRect frame);

    const std::string& text() const { return text_; }
    void setText(std::string text);
    const std::shared_ptr<UIFont>& font() const { return font_; }
    void setFont(std::shared_ptr<UIFont> font);
    const std::shared_ptr<UIColor>& textColor() const { return textColor_; }
    void setTextColor(std::shared_ptr<UIColor> color);
    const std::shared_ptr<UIColor>& highlightedTextColor() const { return highlightedTextColor_; }
    void setHighlightedTextColor(std::shared_ptr<UIColor> color);
    UITextAlignment textAlignment() const { return textAlignment_; }
    void setTextAlignment(UITextAlignment alignment);
    const std::shared_ptr<UIColor>& shadowColor() const { return shadowColor_; }
    void setShadowColor(std::shared_ptr<UIColor> color);
    CGSize shadowOffset() const { return shadowOffset_; }
    void setShadowOffset(CGSize offset);
    int numberOfLines() const { return numberOfLines_; }
    void setNumberOfLines(int lines);
    UILineBreakMode lineBreakMode() const { return lineBreakMode_; }
    void setLineBreakMode(UILineBreakMode mode);
    bool adjustsFontSizeToFitWidth() const { return adjustsFontSizeToFitWidth_; }
    void setAdjustsFontSizeToFitWidth(bool adjusts);
    CGFloat minimumFontSize() const { return minimumFontSize_; }
    void setMinimumFontSize(CGFloat size);
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);

    // The font the text is drawn in at the current width (smaller than font() when shrunk to fit).
    std::shared_ptr<UIFont> fontUsed() const;
    // Where the text goes within the bounds: full width, its measured height, centred vertically.
    CGRect textRectForBounds(CGRect bounds) const;

    void drawRect(CGRect rect) override;
    virtual void drawTextInRect(CGRect rect);
    CGSize sizeThatFits(CGSize size) override;

    std::string className() const override { return "UILabel"; }

private:
    CGSize textSize(const std::shared_ptr<UIFont>& font, CGSize bound) const;
    void drawText(CGRect rect, const std::shared_ptr<UIFont>& font, const std::shared_ptr<UIColor>& color);

    std::string text_;
    std::shared_ptr<UIFont> font_;
    std::shared_ptr<UIColor> textColor_;
    std::shared_ptr<UIColor> highlightedTextColor_;
    std::shared_ptr<UIColor> shadowColor_;
    CGSize shadowOffset_{0, -1};
    UITextAlignment textAlignment_ = UITextAlignmentLeft;
    UILineBreakMode lineBreakMode_ = UILineBreakModeTailTruncation;
    int numberOfLines_ = 1;
    bool adjustsFontSizeToFitWidth_ = false;
    CGFloat minimumFontSize_ = 0;
    bool highlighted_ = false;
    bool enabled_ = true;
};

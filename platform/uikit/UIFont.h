#pragma once

#include "CGGeometry.h"
#include "NSObject.h"

#include <memory>
#include <string>

typedef struct _PangoFontDescription PangoFontDescription;

// A font: the system font (Liberation Sans, found through fontconfig) in its regular or bold face at a
// size in points. Immutable; text is measured and drawn with it through the NSString drawing functions.
class UIFont final : public NSObject {
public:
    UIFont(bool bold, CGFloat pointSize);
    ~UIFont() override;

    static std::shared_ptr<UIFont> systemFontOfSize(CGFloat pointSize);
    static std::shared_ptr<UIFont> boldSystemFontOfSize(CGFloat pointSize);
    // The standard sizes of this toolkit: buttons 18, labels 17, running text 14.
    static CGFloat buttonFontSize() { return 18; }
    static CGFloat labelFontSize() { return 17; }
    static CGFloat systemFontSize() { return 14; }

    std::shared_ptr<UIFont> fontWithSize(CGFloat pointSize) const;

    CGFloat pointSize() const { return pointSize_; }
    bool isBold() const { return bold_; }
    std::string familyName() const { return "Liberation Sans"; }
    std::string fontName() const { return bold_ ? "LiberationSans-Bold" : "LiberationSans"; }
    // The height of one line of text, and the parts of it above and below the baseline (descender < 0).
    CGFloat lineHeight() const;
    CGFloat ascender() const;
    CGFloat descender() const;

    // The Pango description of this font (owned by the font).
    const PangoFontDescription* pangoDescription() const { return description_; }

    std::string description() const override;
    std::string className() const override { return "UIFont"; }
    bool isEqual(const NSObject& other) const override;

private:
    const bool bold_;
    const CGFloat pointSize_;
    PangoFontDescription* description_;
};

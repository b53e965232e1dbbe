#pragma once

#include "CGGeometry.h"
#include "UIFont.h"

#include <memory>
#include <string_view>

// How text that does not fit is broken or cut (the platform's values).
enum UILineBreakMode {
    UILineBreakModeWordWrap = 0,
    UILineBreakModeCharacterWrap = 1,
    UILineBreakModeClip = 2,
    UILineBreakModeHeadTruncation = 3,
    UILineBreakModeTailTruncation = 4,
    UILineBreakModeMiddleTruncation = 5,
};

enum UITextAlignment {
    UITextAlignmentLeft = 0,
    UITextAlignmentCenter = 1,
    UITextAlignmentRight = 2,
};

// Measuring and drawing strings in a font (the platform's string drawing category). Sizes are in points,
// rounded up to whole points. Multi-line forms wrap at the given width and keep only the whole lines that
// fit in the height bound (at least one line); the truncating modes put an ellipsis in the last kept line.
// Single-line forms never wrap. Drawing goes to the current graphics context (UIGraphicsGetCurrentContext)
// in its fill colour; without a current context nothing is drawn and the size is still answered.
// A null font measures as zero and draws nothing.

CGSize sizeWithFont(std::string_view text, const std::shared_ptr<UIFont>& font);
CGSize sizeWithFontForWidthLineBreakMode(std::string_view text, const std::shared_ptr<UIFont>& font, CGFloat width,
                                         UILineBreakMode mode);
CGSize sizeWithFontConstrainedToSize(std::string_view text, const std::shared_ptr<UIFont>& font, CGSize size);
CGSize sizeWithFontConstrainedToSizeLineBreakMode(std::string_view text, const std::shared_ptr<UIFont>& font,
                                                  CGSize size, UILineBreakMode mode);
// The single-line size at the largest font size, from the font's size down to minFontSize in whole points,
// at which the text fits the width; actualFontSize (may be null) receives that size.
CGSize sizeWithFontMinFontSizeActualFontSizeForWidthLineBreakMode(std::string_view text,
                                                                  const std::shared_ptr<UIFont>& font,
                                                                  CGFloat minFontSize, CGFloat* actualFontSize,
                                                                  CGFloat width, UILineBreakMode mode);

CGSize drawAtPointWithFont(std::string_view text, CGPoint point, const std::shared_ptr<UIFont>& font);
CGSize drawAtPointForWidthWithFontLineBreakMode(std::string_view text, CGPoint point, CGFloat width,
                                                const std::shared_ptr<UIFont>& font, UILineBreakMode mode);
CGSize drawInRectWithFont(std::string_view text, CGRect rect, const std::shared_ptr<UIFont>& font);
CGSize drawInRectWithFontLineBreakMode(std::string_view text, CGRect rect, const std::shared_ptr<UIFont>& font,
                                       UILineBreakMode mode);
CGSize drawInRectWithFontLineBreakModeAlignment(std::string_view text, CGRect rect,
                                                const std::shared_ptr<UIFont>& font, UILineBreakMode mode,
                                                UITextAlignment alignment);

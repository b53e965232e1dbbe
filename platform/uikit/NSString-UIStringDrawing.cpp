#include "NSString-UIStringDrawing.h"

#include "UIGraphics.h"
#include "UITextEngine.h"

#include <cmath>

namespace {

UITextEngine::Request singleLine(std::string_view text, const UIFont* font, CGFloat width, UILineBreakMode mode)
{
    return {text, font, width, 0, mode, true, UITextAlignmentLeft};
}

UITextEngine::Request multiLine(std::string_view text, const UIFont* font, CGSize size, UILineBreakMode mode)
{
    return {text, font, size.width, size.height, mode, false, UITextAlignmentLeft};
}

CGSize drawRequest(const UITextEngine::Request& request, CGPoint origin)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr || request.font == nullptr) {
        return UITextEngine::shared().measure(request);
    }
    context->useFillColorAsSource();
    return UITextEngine::shared().draw(context->cairo(), request, origin);
}

} // namespace

CGSize sizeWithFont(std::string_view text, const std::shared_ptr<UIFont>& font)
{
    return UITextEngine::shared().measure(singleLine(text, font.get(), 0, UILineBreakModeClip));
}

CGSize sizeWithFontForWidthLineBreakMode(std::string_view text, const std::shared_ptr<UIFont>& font, CGFloat width,
                                         UILineBreakMode mode)
{
    return UITextEngine::shared().measure(singleLine(text, font.get(), width, mode));
}

CGSize sizeWithFontConstrainedToSize(std::string_view text, const std::shared_ptr<UIFont>& font, CGSize size)
{
    return sizeWithFontConstrainedToSizeLineBreakMode(text, font, size, UILineBreakModeWordWrap);
}

CGSize sizeWithFontConstrainedToSizeLineBreakMode(std::string_view text, const std::shared_ptr<UIFont>& font,
                                                  CGSize size, UILineBreakMode mode)
{
    return UITextEngine::shared().measure(multiLine(text, font.get(), size, mode));
}

CGSize sizeWithFontMinFontSizeActualFontSizeForWidthLineBreakMode(std::string_view text,
                                                                  const std::shared_ptr<UIFont>& font,
                                                                  CGFloat minFontSize, CGFloat* actualFontSize,
                                                                  CGFloat width, UILineBreakMode mode)
{
    if (!font) {
        return CGSizeZero;
    }
    std::shared_ptr<UIFont> tried = font;
    CGFloat size = font->pointSize();
    while (size > minFontSize && sizeWithFont(text, tried).width > width) {
        size = std::max(minFontSize, std::ceil(size) - 1);
        tried = font->fontWithSize(size);
    }
    if (actualFontSize != nullptr) {
        *actualFontSize = size;
    }
    return sizeWithFontForWidthLineBreakMode(text, tried, width, mode);
}

CGSize drawAtPointWithFont(std::string_view text, CGPoint point, const std::shared_ptr<UIFont>& font)
{
    return drawRequest(singleLine(text, font.get(), 0, UILineBreakModeClip), point);
}

CGSize drawAtPointForWidthWithFontLineBreakMode(std::string_view text, CGPoint point, CGFloat width,
                                                const std::shared_ptr<UIFont>& font, UILineBreakMode mode)
{
    return drawRequest(singleLine(text, font.get(), width, mode), point);
}

CGSize drawInRectWithFont(std::string_view text, CGRect rect, const std::shared_ptr<UIFont>& font)
{
    return drawInRectWithFontLineBreakModeAlignment(text, rect, font, UILineBreakModeWordWrap, UITextAlignmentLeft);
}

CGSize drawInRectWithFontLineBreakMode(std::string_view text, CGRect rect, const std::shared_ptr<UIFont>& font,
                                       UILineBreakMode mode)
{
    return drawInRectWithFontLineBreakModeAlignment(text, rect, font, mode, UITextAlignmentLeft);
}

CGSize drawInRectWithFontLineBreakModeAlignment(std::string_view text, CGRect rect,
                                                const std::shared_ptr<UIFont>& font, UILineBreakMode mode,
                                                UITextAlignment alignment)
{
    UITextEngine::Request request = multiLine(text, font.get(), rect.size, mode);
    request.alignment = alignment;
    return drawRequest(request, rect.origin);
}

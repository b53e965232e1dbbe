#include "UIFont.h"

#include "UITextEngine.h"

#include <pango/pango.h>

#include <cstdio>

UIFont::UIFont(bool bold, CGFloat pointSize)
    : bold_(bold), pointSize_(pointSize > 0 ? pointSize : 0), description_(pango_font_description_new())
{
    pango_font_description_set_family_static(description_, "Liberation Sans");
    pango_font_description_set_weight(description_, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    // Points are device-independent pixels here: one point is one unit of the drawing space.
    pango_font_description_set_absolute_size(description_, pointSize_ * PANGO_SCALE);
}

UIFont::~UIFont() { pango_font_description_free(description_); }

std::shared_ptr<UIFont> UIFont::systemFontOfSize(CGFloat pointSize) { return std::make_shared<UIFont>(false, pointSize); }

std::shared_ptr<UIFont> UIFont::boldSystemFontOfSize(CGFloat pointSize)
{
    return std::make_shared<UIFont>(true, pointSize);
}

std::shared_ptr<UIFont> UIFont::fontWithSize(CGFloat pointSize) const
{
    return std::make_shared<UIFont>(bold_, pointSize);
}

CGFloat UIFont::lineHeight() const { return UITextEngine::shared().metrics(*this).lineHeight; }
CGFloat UIFont::ascender() const { return UITextEngine::shared().metrics(*this).ascender; }
CGFloat UIFont::descender() const { return UITextEngine::shared().metrics(*this).descender; }

std::string UIFont::description() const
{
    char text[96];
    std::snprintf(text, sizeof text, "font-family: \"Liberation Sans\"; font-weight: %s; font-size: %gpt",
                  bold_ ? "bold" : "normal", pointSize_);
    return text;
}

bool UIFont::isEqual(const NSObject& other) const
{
    const auto* font = dynamic_cast<const UIFont*>(&other);
    return font != nullptr && font->bold_ == bold_ && font->pointSize_ == pointSize_;
}

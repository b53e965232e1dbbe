#pragma once

#include "UIControl.h"
#include "UIFont.h"

#include <memory>
#include <string>

// A one-line text entry: a white rounded box with a grey inner border showing its text, or its placeholder
// in grey while the text is empty. There is no keyboard on this platform: the host (or a test) types by
// setting the text or inserting at the end, which reports a value change.
class UITextField : public UIControl {
public:
    explicit UITextField(CGRect frame);

    const std::string& text() const { return text_; }
    void setText(std::string text);
    // Appends what was typed and reports a value change.
    void insertText(const std::string& typed);
    const std::string& placeholder() const { return placeholder_; }
    void setPlaceholder(std::string placeholder);
    const std::shared_ptr<UIFont>& font() const { return font_; }
    void setFont(std::shared_ptr<UIFont> font);

    void drawRect(CGRect rect) override;

    std::string className() const override { return "UITextField"; }

private:
    std::string text_;
    std::string placeholder_;
    std::shared_ptr<UIFont> font_;
};

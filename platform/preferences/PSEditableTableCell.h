#pragma once

#include "PSTableCell.h"
#include "UITextField.h"

#include <functional>
#include <memory>
#include <string>

// A text row: the label and a text field at the right showing the value as text (the specifier's
// "placeholder" while empty). A touch on the field gives it the focus (the focus action runs); what is typed
// into it runs the value-changed action with the whole new text.
class PSEditableTableCell : public PSTableCell {
public:
    explicit PSEditableTableCell(std::string reuseIdentifier);

    UITextField* textField() const { return field_.get(); }
    const std::shared_ptr<UITextField>& sharedTextField() const { return field_; }
    void setValueChangedAction(std::function<void(const std::string& text)> action) { changed_ = std::move(action); }
    void setFocusAction(std::function<void()> action) { focus_ = std::move(action); }

    void refreshCellContentsWithSpecifier(const PSSpecifier& specifier, const id& value) override;

    std::string className() const override { return "PSEditableTableCell"; }

    // The field's widest and narrowest; the room a grouped row gives its contents, and the gap between label
    // and field.
    static constexpr CGFloat kFieldWidth = 160;
    static constexpr CGFloat kMinimumFieldWidth = 80;
    static constexpr CGFloat kRowWidth = 300;
    static constexpr CGFloat kGap = 24;

private:
    std::shared_ptr<UITextField> field_;
    std::function<void(const std::string&)> changed_;
    std::function<void()> focus_;
};

#include "PSEditableTableCell.h"

#include "NSString.h"

PSEditableTableCell::PSEditableTableCell(std::string reuseIdentifier)
    : PSTableCell(PSCellType::EditText, std::move(reuseIdentifier)),
      field_(std::make_shared<UITextField>(CGRectMake(0, 0, kFieldWidth, 31)))
{
    field_->addTargetActionForControlEvents(
        this,
        [this] {
            if (changed_) {
                changed_(field_->text());
            }
        },
        UIControlEventValueChanged);
    field_->addTargetActionForControlEvents(
        this,
        [this] {
            if (focus_) {
                focus_();
            }
        },
        UIControlEventTouchDown);
    setAccessoryView(field_);
}

void PSEditableTableCell::refreshCellContentsWithSpecifier(const PSSpecifier& specifier, const id& value)
{
    PSTableCell::refreshCellContentsWithSpecifier(specifier, value);
    const auto text = as<NSString>(value);
    field_->setText(text ? text->string() : (value ? value->description() : std::string()));
    field_->setPlaceholder(specifier.stringPropertyForKey(PSSpecifier::kPlaceholder).value_or(std::string()));
}

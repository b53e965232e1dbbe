#include "PSEditableTableCell.h"

#include "NSString-UIStringDrawing.h"
#include "NSString.h"

#include <algorithm>

PSEditableTableCell::PSEditableTableCell(std::string reuseIdentifier)
    : PSTableCell(PSCellType::EditText, std::move(reuseIdentifier))
    , field_(std::make_shared<UITextField>(CGRectMake(0, 0, kFieldWidth, 31)))
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
    // The field takes the room the label leaves, so that the label is not cut short.
    const CGFloat labelWidth = sizeWithFont(specifier.name(), textLabel()->font()).width;
    const CGFloat room = kRowWidth - 2 * contentMargin - labelWidth - kGap;
    CGRect frame = field_->frame();
    frame.size.width = std::clamp(room, kMinimumFieldWidth, kFieldWidth);
    field_->setFrame(frame);
    setNeedsLayout();
}

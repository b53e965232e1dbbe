#include "PSSwitchTableCell.h"

#include "NSNumber.h"

PSSwitchTableCell::PSSwitchTableCell(std::string reuseIdentifier)
    : PSTableCell(PSCellType::Switch, std::move(reuseIdentifier)), switch_(std::make_shared<UISwitch>())
{
    switch_->addTargetActionForControlEvents(
        this,
        [this] {
            if (action_) {
                action_(switch_->isOn());
            }
        },
        UIControlEventValueChanged);
    setAccessoryView(switch_);
}

void PSSwitchTableCell::refreshCellContentsWithSpecifier(const PSSpecifier& specifier, const id& value)
{
    PSTableCell::refreshCellContentsWithSpecifier(specifier, value);
    const auto number = as<NSNumber>(value);
    switch_->setOn(number && number->boolValue());
}

#pragma once

#include "PSTableCell.h"
#include "UISwitch.h"

#include <functional>
#include <memory>

// A switch row: the label and a UISwitch at the right showing the boolean value (a number counts as on
// when non-zero; no value shows off). Flipping the switch runs the value-changed action with the new state.
class PSSwitchTableCell : public PSTableCell {
public:
    explicit PSSwitchTableCell(std::string reuseIdentifier);

    UISwitch* control() const { return switch_.get(); }
    void setValueChangedAction(std::function<void(bool on)> action) { action_ = std::move(action); }

    void refreshCellContentsWithSpecifier(const PSSpecifier& specifier, const id& value) override;

    std::string className() const override { return "PSSwitchTableCell"; }

private:
    std::shared_ptr<UISwitch> switch_;
    std::function<void(bool)> action_;
};

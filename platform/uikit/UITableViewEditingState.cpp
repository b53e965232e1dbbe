#include "UITableViewEditingState.h"

void UITableViewEditingState::setEditing(bool editing)
{
    editing_ = editing;
    confirming_.reset();
}

bool UITableViewEditingState::swipe(const NSIndexPath& row, UITableViewCellEditingStyle style)
{
    if (editing_) {
        return false;
    }
    if (confirming_) {
        confirming_.reset();
        return false;
    }
    if (style != UITableViewCellEditingStyle::Delete) {
        return false;
    }
    confirming_ = row;
    return true;
}

std::optional<NSIndexPath> UITableViewEditingState::tapEditControl(const NSIndexPath& row,
                                                                   UITableViewCellEditingStyle style)
{
    if (!editing_) {
        return std::nullopt;
    }
    switch (style) {
    case UITableViewCellEditingStyle::Insert:
        confirming_.reset();
        return row;
    case UITableViewCellEditingStyle::Delete:
        if (confirming_ == row) {
            confirming_.reset();
        } else {
            confirming_ = row;
        }
        return std::nullopt;
    case UITableViewCellEditingStyle::None:
        break;
    }
    return std::nullopt;
}

std::optional<NSIndexPath> UITableViewEditingState::confirm()
{
    auto row = confirming_;
    confirming_.reset();
    return row;
}

bool UITableViewEditingState::dismissConfirmation()
{
    const bool shown = confirming_.has_value();
    confirming_.reset();
    return shown;
}

unsigned UITableViewEditingState::stateMaskForRow(const NSIndexPath& row, UITableViewCellEditingStyle style) const
{
    unsigned mask = UITableViewCellStateDefaultMask;
    if (editing_ && style != UITableViewCellEditingStyle::None) {
        mask |= UITableViewCellStateShowingEditControlMask;
    }
    if (confirming_ == row) {
        mask |= UITableViewCellStateShowingDeleteConfirmationMask;
    }
    return mask;
}

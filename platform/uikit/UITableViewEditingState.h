#pragma once

#include "NSIndexPath.h"
#include "UITableViewConstants.h"

#include <optional>

// Which rows of a table show an edit control and which one shows the delete confirmation button.
//
// Outside editing mode a horizontal swipe over a deletable row uncovers that row's confirmation button; any
// other touch on the table only puts it away again. In editing mode every row whose editing style is not
// None shows its edit control; tapping a delete control uncovers or hides that row's confirmation. Only one
// row confirms at a time. Pressing the button hands the row back for the commit and puts it away.
class UITableViewEditingState final {
public:
    bool isEditing() const { return editing_; }
    // Entering or leaving editing mode puts any confirmation away.
    void setEditing(bool editing);

    const std::optional<NSIndexPath>& confirmingRow() const { return confirming_; }
    bool isShowingSwipeConfirmation() const { return confirming_.has_value() && !editing_; }

    // A swipe over the row; answers whether the row now confirms. A swipe while another row confirms only
    // puts that one away, as a tap would.
    bool swipe(const NSIndexPath& row, UITableViewCellEditingStyle style);
    // A tap on the row's edit control. Answers the row to commit an insertion for (insert controls commit at
    // once); a delete control toggles the confirmation and commits nothing.
    std::optional<NSIndexPath> tapEditControl(const NSIndexPath& row, UITableViewCellEditingStyle style);
    // The confirmation button was pressed: answers the row to delete and puts the button away.
    std::optional<NSIndexPath> confirm();
    // Puts the confirmation away (a touch elsewhere, a reload, an update); answers whether one was shown.
    bool dismissConfirmation();

    // The state bits of a row's cell.
    unsigned stateMaskForRow(const NSIndexPath& row, UITableViewCellEditingStyle style) const;

private:
    bool editing_ = false;
    std::optional<NSIndexPath> confirming_;
};

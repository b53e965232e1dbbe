#pragma once

#include "NSIndexPath.h"
#include "UITableViewConstants.h"

#include <string>

class UITableView;

// What a table tells, and asks of, the object that reacts to it. The table does not own its delegate.
class UITableViewDelegate {
public:
    virtual ~UITableViewDelegate() = default;

    // The row's height in points; the table's `rowHeight` unless the delegate says otherwise. Asked once per
    // row at a reload and for each row that an update inserts or reloads, never while scrolling; with
    // estimated heights, only as the row first comes into view after a reload.
    virtual double heightForRowAtIndexPath(UITableView& table, const NSIndexPath& path);
    // A cheap guess at the row's height, asked instead of heightForRowAtIndexPath at a reload when the table
    // has an estimated row height (and that height unless the delegate says otherwise); the real height is
    // asked when the row comes into view.
    virtual double estimatedHeightForRowAtIndexPath(UITableView& table, const NSIndexPath& path);
    // The user tapped the row; the table has selected it already.
    virtual void didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path);
    // The edit an editable row offers: Delete unless the delegate says otherwise.
    virtual UITableViewCellEditingStyle editingStyleForRowAtIndexPath(UITableView& table, const NSIndexPath& path);
    // The title of the row's delete confirmation button: "Delete" unless the delegate says otherwise.
    virtual std::string titleForDeleteConfirmationButtonForRowAtIndexPath(UITableView& table,
                                                                          const NSIndexPath& path);
};

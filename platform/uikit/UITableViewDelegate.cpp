#include "UITableViewDelegate.h"

#include "UITableView.h"

double UITableViewDelegate::heightForRowAtIndexPath(UITableView& table, const NSIndexPath&)
{
    return table.rowHeight();
}

double UITableViewDelegate::estimatedHeightForRowAtIndexPath(UITableView& table, const NSIndexPath&)
{
    return table.estimatedRowHeight();
}

void UITableViewDelegate::didSelectRowAtIndexPath(UITableView&, const NSIndexPath&)
{
}

UITableViewCellEditingStyle UITableViewDelegate::editingStyleForRowAtIndexPath(UITableView&, const NSIndexPath&)
{
    return UITableViewCellEditingStyle::Delete;
}

std::string UITableViewDelegate::titleForDeleteConfirmationButtonForRowAtIndexPath(UITableView&,
                                                                                   const NSIndexPath&)
{
    return "Delete";
}

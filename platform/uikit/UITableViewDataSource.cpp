#include "UITableViewDataSource.h"

int UITableViewDataSource::numberOfSectionsInTableView(UITableView&)
{
    return 1;
}

std::optional<std::string> UITableViewDataSource::titleForHeaderInSection(UITableView&, int)
{
    return std::nullopt;
}

std::optional<std::string> UITableViewDataSource::titleForFooterInSection(UITableView&, int)
{
    return std::nullopt;
}

bool UITableViewDataSource::canEditRowAtIndexPath(UITableView&, const NSIndexPath&)
{
    return false;
}

bool UITableViewDataSource::canMoveRowAtIndexPath(UITableView&, const NSIndexPath&)
{
    return false;
}

void UITableViewDataSource::commitEditingStyleForRowAtIndexPath(UITableView&, UITableViewCellEditingStyle,
                                                                const NSIndexPath&)
{
}

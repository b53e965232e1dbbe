#pragma once

#include "NSIndexPath.h"
#include "UITableViewConstants.h"

#include <memory>
#include <optional>
#include <string>

class UITableView;
class UITableViewCell;

// What a table asks of the object that holds its rows. The table does not own its data source.
//
// A table asks for the number of sections and rows, and for heights (of its delegate), once per reload and
// then only for the rows that an update inserts or reloads; it asks for cells only for the rows that come
// into view.
class UITableViewDataSource {
public:
    virtual ~UITableViewDataSource() = default;

    virtual int numberOfSectionsInTableView(UITableView& table);
    virtual int numberOfRowsInSection(UITableView& table, int section) = 0;
    // A cell for the row, usually taken from `table.dequeueReusableCellWithIdentifier` and filled in. A null
    // answer leaves the row empty.
    virtual std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path) = 0;

    // Section titles, drawn in the table's own style; none gives a section without a header or footer.
    virtual std::optional<std::string> titleForHeaderInSection(UITableView& table, int section);
    virtual std::optional<std::string> titleForFooterInSection(UITableView& table, int section);

    // Whether the row can be deleted by a swipe or shows an edit control in editing mode. False unless a data
    // source that commits edits says otherwise: a table cannot tell on its own whether its data source
    // handles a commit, and offering a Delete button that does nothing would be wrong.
    virtual bool canEditRowAtIndexPath(UITableView& table, const NSIndexPath& path);
    virtual bool canMoveRowAtIndexPath(UITableView& table, const NSIndexPath& path);
    // The user confirmed an edit of the row (pressed its Delete button, or an insert control). The data
    // source changes its data and then tells the table (deleteRowsAtIndexPaths, reloadData).
    virtual void commitEditingStyleForRowAtIndexPath(UITableView& table, UITableViewCellEditingStyle style,
                                                     const NSIndexPath& path);
};

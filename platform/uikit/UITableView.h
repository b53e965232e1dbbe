#pragma once

#include "NSIndexPath.h"
#include "UIScrollView.h"
#include "UITableViewCell.h"
#include "UITableViewConstants.h"
#include "UITableViewDataSource.h"
#include "UITableViewDelegate.h"
#include "UITableViewEditingState.h"
#include "UITableViewReuseQueue.h"
#include "UITableViewRowData.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class UITableViewSectionTitleView;

// A scrolling list of rows in sections, asking its data source for the rows and its delegate for heights
// and reactions.
//
// What it asks, and when: reloadData asks for the number of sections, the rows of each, every row's
// height and the section titles, once; layout then asks for cells only for the rows that overlap the
// visible bounds, taking the cells that scroll out back into the reuse queue. Scrolling asks nothing but
// the cells of rows coming into view. An update (insert, delete, reload of rows or sections) asks only for
// the heights of the rows it inserts or reloads, and checks the new counts against the data source; an
// update that does not add up is reported on stderr and replaced by a full reload.
//
// With an estimated row height (setEstimatedRowHeight), reloadData asks each row's estimate instead of its
// height, and layout asks the real height only of the rows it is about to show, before it shows them: a
// list of ten thousand rows whose heights cost a text measurement each is drawn after measuring one screen.
// As rows are measured the rows already on screen stay where they are: the content offset moves by
// whatever the newly measured rows above them added or took away (a drag in progress moves with it). A
// reload keeps the first row on screen where it was, when that row is still there.
//
// Touches: a tap selects the row (didSelectRowAtIndexPath) if selection is allowed; a drag of more than
// 10 points scrolls; a horizontal swipe over an editable row whose editing style is Delete uncovers its
// confirmation button (titled by the delegate), and pressing that commits the deletion through the data
// source. In editing mode every editable row shows its edit control. Any other touch on the table while a
// confirmation shows only puts it away.
//
// Subviews that others add to the table (a label above the first row, say) are kept, above the cells.
// The table's own views (cells, section titles) lie beneath them.
//
// Row animations: an update named with an animation other than None moves its rows over 0.3 seconds
// (see UITableViewUpdateAnimation); the table's record and its cells take the end state at once. In a
// group, the last animation named other than None moves the whole update.
class UITableView : public UIScrollView {
public:
    UITableView(CGRect frame, UITableViewStyle style);
    static std::shared_ptr<UITableView> initWithFrameStyle(CGRect frame, UITableViewStyle style);
    ~UITableView() override;

    UITableViewStyle style() const { return style_; }

    // Not retained: the owner clears them before the objects go away.
    UITableViewDataSource* dataSource() const { return dataSource_; }
    void setDataSource(UITableViewDataSource* dataSource);
    UITableViewDelegate* delegate() const { return delegate_; }
    void setDelegate(UITableViewDelegate* delegate);

    // The height of rows whose delegate does not give one (44 by default); taken at the next reload.
    CGFloat rowHeight() const { return rowHeight_; }
    void setRowHeight(CGFloat height) { rowHeight_ = height; }
    // Above 0, rows are placed at their estimated heights (the delegate's, this value unless it says
    // otherwise) and measured only when they come into view; 0 (the default) asks every height at a reload.
    // Taken at the next reload.
    CGFloat estimatedRowHeight() const { return estimatedRowHeight_; }
    void setEstimatedRowHeight(CGFloat height) { estimatedRowHeight_ = height; }
    const std::shared_ptr<UIColor>& separatorColor() const { return separatorColor_; }
    void setSeparatorColor(std::shared_ptr<UIColor> color);
    bool allowsSelection() const { return allowsSelection_; }
    void setAllowsSelection(bool allows) { allowsSelection_ = allows; }
    bool allowsSelectionDuringEditing() const { return allowsSelectionDuringEditing_; }
    void setAllowsSelectionDuringEditing(bool allows) { allowsSelectionDuringEditing_ = allows; }

    bool isEditing() const { return editing_.isEditing(); }
    void setEditing(bool editing);
    void setEditingAnimated(bool editing, bool animated);

    void reloadData();

    // The table's own record of its rows (as of the last reload or update).
    int numberOfSections() const { return rows_.numberOfSections(); }
    int numberOfRowsInSection(int section) const { return rows_.numberOfRowsInSection(section); }
    CGRect rectForSection(int section) const;
    CGRect rectForHeaderInSection(int section) const;
    CGRect rectForFooterInSection(int section) const;
    CGRect rectForRowAtIndexPath(const NSIndexPath& path) const;
    std::optional<NSIndexPath> indexPathForRowAtPoint(CGPoint point) const;
    std::vector<NSIndexPath> indexPathsForRowsInRect(CGRect rect) const;
    std::optional<NSIndexPath> indexPathForCell(const UITableViewCell* cell) const;
    // The cell showing the row, or null when the row is not on screen.
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const NSIndexPath& path) const;
    std::vector<std::shared_ptr<UITableViewCell>> visibleCells() const;
    std::vector<NSIndexPath> indexPathsForVisibleRows() const;
    // A queued cell of the identifier, prepared for reuse, or null: the data source then makes one.
    std::shared_ptr<UITableViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier);

    std::optional<NSIndexPath> indexPathForSelectedRow() const { return selected_; }
    // Selects the row without telling the delegate; scrolls it into view as the position says.
    void selectRowAtIndexPath(const NSIndexPath& path, bool animated, UITableViewScrollPosition position);
    void deselectRowAtIndexPath(const NSIndexPath& path, bool animated);
    void scrollToRowAtIndexPath(const NSIndexPath& path, UITableViewScrollPosition position, bool animated);

    // Grouped updates: changes made between beginUpdates and endUpdates (which nest) are applied together
    // at the outermost endUpdates; deletions and reloads name rows as they were before, insertions as they
    // will be after. Outside a group each call is an update of its own.
    void beginUpdates();
    void endUpdates();
    void insertRowsAtIndexPaths(const std::vector<NSIndexPath>& paths, UITableViewRowAnimation animation);
    void deleteRowsAtIndexPaths(const std::vector<NSIndexPath>& paths, UITableViewRowAnimation animation);
    void reloadRowsAtIndexPaths(const std::vector<NSIndexPath>& paths, UITableViewRowAnimation animation);
    void insertSections(const std::vector<int>& sections, UITableViewRowAnimation animation);
    void deleteSections(const std::vector<int>& sections, UITableViewRowAnimation animation);

    // The row whose delete confirmation shows, if any.
    std::optional<NSIndexPath> indexPathForDeleteConfirmation() const { return editing_.confirmingRow(); }
    // The queue of cells waiting to be reused.
    const UITableViewReuseQueue& reuseQueue() const { return reuseQueue_; }
    // The title views on screen, for the section (null when it has none or is off screen).
    UITableViewSectionTitleView* headerViewForSection(int section) const;
    UITableViewSectionTitleView* footerViewForSection(int section) const;

    void layoutSubviews() override;
    void drawRect(CGRect rect) override;
    void touchesBeganWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesMovedWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesEndedWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesCancelledWithEvent(const UITouchSet& touches, UIEvent* event) override;

    std::string className() const override { return "UITableView"; }

    // A horizontal move of this many points, twice as long as the vertical one, is a swipe.
    static constexpr CGFloat swipeThreshold = 12;

protected:
    void didBeginDragging() override;

private:
    friend class UITableViewCell;

    struct PendingUpdates {
        std::vector<NSIndexPath> insertedRows;
        std::vector<NSIndexPath> deletedRows;
        std::vector<NSIndexPath> reloadedRows;
        std::vector<int> insertedSections;
        std::vector<int> deletedSections;
        UITableViewRowAnimation animation = UITableViewRowAnimation::None;
        bool empty() const;
        void name(UITableViewRowAnimation named);
    };
    struct SectionTitles {
        std::optional<std::string> header;
        std::optional<std::string> footer;
    };
    enum class TouchMode { None, Pending, Swipe, Drag, Dismissing };

    // Loading.
    bool estimatesRowHeights() const { return estimatedRowHeight_ > 0; }
    double heightForRow(const NSIndexPath& path);
    double estimatedHeightForRow(const NSIndexPath& path);
    std::vector<NSIndexPath> rowsInView() const;
    // Measures the estimated rows that overlap the bounds, keeping the rows on screen in place.
    void measureRowsInView();
    bool measureRow(const NSIndexPath& path);
    // The first row on screen and how far the top of the bounds lies below its top.
    std::optional<std::pair<NSIndexPath, double>> topRowOnScreen() const;
    void keepRowAtTop(const std::pair<NSIndexPath, double>& anchor);
    SectionTitles titlesForSection(int section);
    UITableViewRowData::Section loadSection(int section, const SectionTitles& titles);
    double headerHeight(const SectionTitles& titles) const;
    double footerHeight(const SectionTitles& titles) const;
    void refreshTitleHeights();
    void updateContentSize();

    // Updates.
    void updateFinished();
    void applyUpdates(PendingUpdates updates);
    std::optional<NSIndexPath> mapThroughUpdate(const NSIndexPath& path, const PendingUpdates& updates) const;
    bool countsMatchDataSource(const UITableViewRowData& rows);

    // Cells.
    void layoutCells(double top, double bottom);
    void layoutTitles(double top, double bottom);
    void showCell(const NSIndexPath& path, const std::shared_ptr<UITableViewCell>& cell);
    void configureCell(const NSIndexPath& path, UITableViewCell& cell);
    void recycleCell(const std::shared_ptr<UITableViewCell>& cell);
    void recycleAllCells();
    void removeTitleViews();
    UITableViewCellEditingStyle editingStyleForRow(const NSIndexPath& path);
    void refreshCellState(const std::optional<NSIndexPath>& path);

    // Editing and selection.
    void cellEditControlTapped(UITableViewCell& cell);
    void cellDeleteConfirmationTapped(UITableViewCell& cell);
    void showConfirmationTitle(const NSIndexPath& path);
    bool dismissConfirmation();
    bool selectionAllowedNow() const;
    void highlightTouchedRow(bool highlighted);
    void selectRowFromTouch(const NSIndexPath& path);
    bool trySwipe(CGPoint delta);

    const UITableViewStyle style_;
    UITableViewDataSource* dataSource_ = nullptr;
    UITableViewDelegate* delegate_ = nullptr;
    CGFloat rowHeight_ = 44;
    CGFloat estimatedRowHeight_ = 0;
    std::shared_ptr<UIColor> separatorColor_;
    bool allowsSelection_ = true;
    bool allowsSelectionDuringEditing_ = false;

    bool needsReload_ = true;
    UITableViewRowData rows_;
    std::vector<SectionTitles> titles_;
    CGFloat titlesWidth_ = -1;
    std::map<NSIndexPath, std::shared_ptr<UITableViewCell>> cells_;
    std::map<int, std::shared_ptr<UITableViewSectionTitleView>> headerViews_;
    std::map<int, std::shared_ptr<UITableViewSectionTitleView>> footerViews_;
    UITableViewReuseQueue reuseQueue_;

    std::optional<NSIndexPath> selected_;
    UITableViewEditingState editing_;
    std::string confirmationTitle_ = "Delete";

    int updateDepth_ = 0;
    PendingUpdates pending_;

    TouchMode touchMode_ = TouchMode::None;
    CGPoint touchStart_;
    std::optional<NSIndexPath> touchedRow_;
    bool touchedRowWasSelected_ = false;
};

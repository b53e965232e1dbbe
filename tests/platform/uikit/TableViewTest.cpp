#include "NSRunLoop.h"
#include "RecordingTableSource.h"
#include "SteppedClockScope.h"
#include "UILabel.h"
#include "UITableView.h"
#include "UITableViewCellDeleteConfirmationControl.h"
#include "UITableViewCellEditControl.h"
#include "UITableViewSectionTitleView.h"
#include "UITableViewUpdateAnimation.h"
#include "UITouchRouter.h"
#include "UIWindow.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// A table of 320 × 416 points in a visible window, wired to the source.
struct TableOnScreen {
    explicit TableOnScreen(RecordingTableSource& source, UITableViewStyle style = UITableViewStyle::Plain)
        : window(std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480))),
          table(std::make_shared<UITableView>(CGRectMake(0, 64, 320, 416), style))
    {
        window->addSubview(table);
        window->setHidden(false);
        table->setDataSource(&source);
        table->setDelegate(&source);
        table->layoutIfNeeded();
    }
    ~TableOnScreen()
    {
        table->setDataSource(nullptr);
        table->setDelegate(nullptr);
    }

    // A point of the row's middle in screen coordinates.
    CGPoint screenPointOf(const NSIndexPath& path) const
    {
        const CGRect row = table->rectForRowAtIndexPath(path);
        return table->convertPointToView(CGPointMake(160, CGRectGetMidY(row)), nullptr);
    }
    void drag(CGPoint from, CGPoint to)
    {
        const int touch = router.beginTouch(from);
        router.moveTouch(touch, CGPointMake((from.x + to.x) / 2, (from.y + to.y) / 2));
        router.moveTouch(touch, to);
        router.endTouch(touch, to);
        table->layoutIfNeeded();
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<UITableView> table;
    UITouchRouter router;
};

std::set<int> visibleRows(const UITableView& table)
{
    std::set<int> rows;
    for (const auto& path : table.indexPathsForVisibleRows()) {
        rows.insert(path.row());
    }
    return rows;
}

TEST(TableView, TenThousandRowsAskEachHeightOnceAndOnlyVisibleCells)
{
    auto source = RecordingTableSource::withRows(10000);
    source.height = [](const NSIndexPath& path) { return path.row() % 2 == 0 ? 40.0 : 60.0; };
    TableOnScreen screen(source);

    EXPECT_EQ(source.asked.sections, 1);
    EXPECT_EQ(source.asked.rows, 1);
    EXPECT_EQ(source.asked.heights, 10000);
    // 416 points of rows averaging 50: rows 0 to 8 overlap the bounds.
    EXPECT_EQ(source.asked.cells, 9);
    EXPECT_DOUBLE_EQ(screen.table->contentSize().height, 500000);
    EXPECT_EQ(screen.table->rectForRowAtIndexPath({5001, 0}), CGRectMake(0, 250040, 320, 60));
    EXPECT_EQ(screen.table->indexPathForRowAtPoint({10, 250039}), NSIndexPath(5000, 0));

    // Scrolling asks nothing but the cells of rows coming into view, and reuses the cells that left.
    source.resetCounts();
    for (int step = 1; step <= 100; ++step) {
        screen.table->setContentOffset(CGPointMake(0, step * 25.0));
        screen.table->layoutIfNeeded();
    }
    EXPECT_EQ(source.asked.heights, 0);
    EXPECT_EQ(source.asked.rows, 0);
    EXPECT_EQ(source.asked.cells, 50);  // 2500 points scrolled, 50 rows entered
    EXPECT_LE(source.asked.cellsMade, 2);
    EXPECT_EQ(visibleRows(*screen.table), (std::set<int>{50, 51, 52, 53, 54, 55, 56, 57, 58}));
    for (const auto& cell : screen.table->visibleCells()) {
        const auto path = screen.table->indexPathForCell(cell.get());
        ASSERT_TRUE(path.has_value());
        EXPECT_EQ(cell->textLabel()->text(), source.textAt(*path));
        EXPECT_EQ(cell->frame(), screen.table->rectForRowAtIndexPath(*path));
        EXPECT_EQ(cell->superview(), screen.table.get());
    }

    // A jump to the far end costs one screen of cells; a reload asks every height once more.
    source.resetCounts();
    screen.table->setContentOffset(CGPointMake(0, 500000 - 416));
    screen.table->layoutIfNeeded();
    EXPECT_EQ(source.asked.cells, 9);
    EXPECT_EQ(screen.table->indexPathsForVisibleRows().back(), NSIndexPath(9999, 0));
    screen.table->reloadData();
    screen.table->layoutIfNeeded();
    EXPECT_EQ(source.asked.heights, 10000);
    EXPECT_EQ(screen.table->visibleCells().size(), 9u);
    EXPECT_LE(screen.table->reuseQueue().count("Cell") + screen.table->visibleCells().size(), 11u);
}

TEST(TableView, EstimatedHeightsAreAskedOnlyOfRowsComingIntoViewAndRowsOnScreenStayPut)
{
    auto source = RecordingTableSource::withRows(10000);
    source.height = [](const NSIndexPath& path) { return path.row() % 2 == 0 ? 40.0 : 60.0; };
    TableOnScreen screen(source);
    UITableView& table = *screen.table;
    table.setEstimatedRowHeight(44);
    source.resetCounts();
    table.reloadData();
    table.layoutIfNeeded();

    // Rows 0 to 9 lay in view at 44 points each; measured, rows 0 to 8 fill it.
    EXPECT_EQ(source.asked.heights, 10);
    EXPECT_EQ(visibleRows(table), (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_DOUBLE_EQ(table.contentSize().height, 500 + 9990 * 44.0);

    // Far down nothing above is measured. Dragging the list down uncovers rows whose real heights differ
    // from the estimate, yet what is on screen follows the finger exactly.
    table.setContentOffset(CGPointMake(0, 200000));
    table.layoutIfNeeded();
    const auto screenY = [&](const NSIndexPath& path) {
        return table.convertPointToView(table.rectForRowAtIndexPath(path).origin, nullptr).y;
    };
    const NSIndexPath held = table.indexPathsForVisibleRows().front();
    const double heldAt = screenY(held);
    source.resetCounts();
    const int touch = screen.router.beginTouch({160, 100});
    for (double y = 120; y <= 300; y += 20) {
        screen.router.moveTouch(touch, {160, y});
        table.layoutIfNeeded();
        EXPECT_DOUBLE_EQ(screenY(held), heldAt + (y - 100)) << y;
    }
    screen.router.endTouch(touch, {160, 300});
    table.layoutIfNeeded();
    EXPECT_LE(source.asked.heights, static_cast<int>(table.visibleCells().size()));
    for (const auto& path : table.indexPathsForVisibleRows()) {
        EXPECT_DOUBLE_EQ(table.rectForRowAtIndexPath(path).size.height, source.height(path)) << path.description();
    }

    // A reload keeps the first row on screen where it was.
    const NSIndexPath top = table.indexPathsForVisibleRows().front();
    const double topAt = screenY(top);
    table.reloadData();
    table.layoutIfNeeded();
    EXPECT_EQ(table.indexPathsForVisibleRows().front(), top);
    EXPECT_DOUBLE_EQ(screenY(top), topAt);
}

TEST(TableView, DraggingScrollsRubberBandsAndKeepsTheTablesOwnSubviews)
{
    auto source = RecordingTableSource::withRows(30);
    TableOnScreen screen(source);
    auto countLabel = std::make_shared<UILabel>(CGRectMake(0, -40, 320, 40));
    countLabel->setText("30 Notifications");
    screen.table->addSubview(countLabel);
    screen.table->reloadData();
    screen.table->layoutIfNeeded();
    EXPECT_EQ(countLabel->superview(), screen.table.get());
    EXPECT_EQ(screen.table->subviews().back(), countLabel);  // above the cells

    screen.drag({160, 400}, {160, 100});
    EXPECT_DOUBLE_EQ(screen.table->contentOffset().y, 300);
    EXPECT_EQ(*visibleRows(*screen.table).begin(), 6);
    EXPECT_TRUE(source.selections.empty());

    // Pulled down past the top the list follows at half speed and shows the line above it; let go, it
    // snaps back.
    const int touch = screen.router.beginTouch({160, 100});
    screen.router.moveTouch(touch, {160, 300});
    screen.router.moveTouch(touch, {160, 480});
    EXPECT_DOUBLE_EQ(screen.table->contentOffset().y, -40);
    EXPECT_TRUE(screen.table->isDragging());
    screen.router.endTouch(touch, {160, 480});
    EXPECT_DOUBLE_EQ(screen.table->contentOffset().y, 0);
    EXPECT_EQ(countLabel->superview(), screen.table.get());

    // Past the bottom it stops at the last row.
    screen.drag({160, 470}, {160, 70});
    screen.drag({160, 470}, {160, 70});
    screen.drag({160, 470}, {160, 70});
    EXPECT_DOUBLE_EQ(screen.table->contentOffset().y, 30 * 44 - 416);

    // A short content still moves under the finger (the table always bounces) but rests at the top.
    auto few = RecordingTableSource::withRows(2);
    screen.table->setDataSource(&few);
    screen.table->setDelegate(&few);
    screen.table->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(screen.table->contentOffset().y, 0);
    screen.drag({160, 300}, {160, 100});
    EXPECT_DOUBLE_EQ(screen.table->contentOffset().y, 0);
    EXPECT_EQ(screen.table->visibleCells().size(), 2u);
}

TEST(TableView, TapsSelectRowsAndDelegatesDeselect)
{
    auto source = RecordingTableSource::withRows(20);
    TableOnScreen screen(source);

    EXPECT_TRUE(screen.router.tap(screen.screenPointOf({3, 0})));
    ASSERT_EQ(source.selections, (std::vector<NSIndexPath>{{3, 0}}));
    EXPECT_EQ(screen.table->indexPathForSelectedRow(), NSIndexPath(3, 0));
    EXPECT_TRUE(screen.table->cellForRowAtIndexPath({3, 0})->isSelected());

    // Selecting another row moves the selection; the delegate deselects as the product's lists do.
    source.onSelect = [](UITableView& table, const NSIndexPath& path) { table.deselectRowAtIndexPath(path, true); };
    screen.router.tap(screen.screenPointOf({5, 0}));
    EXPECT_EQ(source.selections.back(), NSIndexPath(5, 0));
    EXPECT_FALSE(screen.table->indexPathForSelectedRow().has_value());
    EXPECT_FALSE(screen.table->cellForRowAtIndexPath({3, 0})->isSelected());
    EXPECT_FALSE(screen.table->cellForRowAtIndexPath({5, 0})->isSelected());

    // A drag is not a tap: the row lit under the finger goes dark again and nothing is selected.
    const int touch = screen.router.beginTouch(screen.screenPointOf({2, 0}));
    EXPECT_TRUE(screen.table->cellForRowAtIndexPath({2, 0})->isSelected());
    screen.router.moveTouch(touch, {160, 300});
    EXPECT_FALSE(screen.table->cellForRowAtIndexPath({2, 0})->isSelected());
    screen.router.endTouch(touch, {160, 300});
    EXPECT_EQ(source.selections.size(), 2u);

    // Programmatic selection tells no delegate and survives scrolling away and back (cells are reused).
    screen.table->selectRowAtIndexPath({1, 0}, false, UITableViewScrollPosition::None);
    EXPECT_EQ(source.selections.size(), 2u);
    screen.table->setContentOffset({0, 400});
    screen.table->layoutIfNeeded();
    EXPECT_EQ(screen.table->cellForRowAtIndexPath({1, 0}), nullptr);
    for (const auto& cell : screen.table->visibleCells()) {
        EXPECT_FALSE(cell->isSelected());
    }
    screen.table->setContentOffset({0, 0});
    screen.table->layoutIfNeeded();
    EXPECT_TRUE(screen.table->cellForRowAtIndexPath({1, 0})->isSelected());
    screen.table->selectRowAtIndexPath({15, 0}, false, UITableViewScrollPosition::Bottom);
    EXPECT_DOUBLE_EQ(screen.table->contentOffset().y, 16 * 44 - 416);
    screen.table->layoutIfNeeded();
    EXPECT_TRUE(screen.table->cellForRowAtIndexPath({15, 0})->isSelected());

    // Without selection allowed a tap does nothing; in editing mode it takes allowsSelectionDuringEditing.
    screen.table->setContentOffset({0, 0});
    screen.table->layoutIfNeeded();
    screen.table->setAllowsSelection(false);
    screen.router.tap(screen.screenPointOf({0, 0}));
    EXPECT_EQ(source.selections.size(), 2u);
    screen.table->setEditing(true);
    screen.table->setAllowsSelectionDuringEditing(true);
    screen.router.tap(screen.screenPointOf({0, 0}));
    EXPECT_EQ(source.selections.back(), NSIndexPath(0, 0));
}

// A cell that records the states it is told about.
struct StateCell : UITableViewCell {
    using UITableViewCell::UITableViewCell;
    std::vector<unsigned> states;
    void willTransitionToState(unsigned state) override
    {
        states.push_back(state);
        UITableViewCell::willTransitionToState(state);
    }
};

struct StateSource : RecordingTableSource {
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override
    {
        auto cell = table.dequeueReusableCellWithIdentifier("State");
        if (!cell) {
            cell = std::make_shared<StateCell>(UITableViewCellStyle::Default, "State");
        }
        cell->textLabel()->setText(textAt(path));
        return cell;
    }
};

StateCell& stateCell(UITableView& table, const NSIndexPath& path)
{
    return dynamic_cast<StateCell&>(*table.cellForRowAtIndexPath(path));
}

TEST(TableView, SwipingUncoversTheDelegatesButtonAndPressingItDeletes)
{
    StateSource source;
    source.sections = {{"a", "b", "c", "d"}};
    source.deleteTitle = "Remove";
    source.editable = [](const NSIndexPath& path) { return path.row() != 3; };
    TableOnScreen screen(source);
    screen.table->layoutSubviews();

    const CGPoint b = screen.screenPointOf({1, 0});
    screen.drag(b, CGPointMake(b.x - 80, b.y + 3));
    EXPECT_EQ(screen.table->indexPathForDeleteConfirmation(), NSIndexPath(1, 0));
    StateCell& cell = stateCell(*screen.table, {1, 0});
    EXPECT_EQ(cell.states, (std::vector<unsigned>{UITableViewCellStateShowingDeleteConfirmationMask}));
    EXPECT_FALSE(cell.isSelected());
    EXPECT_DOUBLE_EQ(screen.table->contentOffset().y, 0);  // a swipe does not scroll
    ASSERT_NE(cell.deleteConfirmationControl(), nullptr);
    EXPECT_EQ(cell.deleteConfirmationControl()->currentTitle(), "Remove");
    cell.layoutIfNeeded();
    const CGRect button = cell.deleteConfirmationControl()->frame();
    EXPECT_DOUBLE_EQ(CGRectGetMaxX(button), 310);
    EXPECT_LE(CGRectGetMaxX(cell.contentView()->frame()), button.origin.x);
    EXPECT_TRUE(source.selections.empty());

    // Any other touch only puts it away: no selection, no deletion.
    screen.router.tap(screen.screenPointOf({0, 0}));
    EXPECT_FALSE(screen.table->indexPathForDeleteConfirmation().has_value());
    EXPECT_EQ(cell.states.back(), UITableViewCellStateDefaultMask);
    EXPECT_EQ(cell.deleteConfirmationControl()->superview(), nullptr);
    EXPECT_TRUE(source.selections.empty());

    // A row that cannot be edited does not swipe; a vertical drag is a scroll, not a swipe.
    const CGPoint d = screen.screenPointOf({3, 0});
    screen.drag(d, CGPointMake(d.x - 80, d.y));
    EXPECT_FALSE(screen.table->indexPathForDeleteConfirmation().has_value());
    screen.drag(b, CGPointMake(b.x - 20, b.y + 60));
    EXPECT_FALSE(screen.table->indexPathForDeleteConfirmation().has_value());

    // Swipe again and press the button: the data source commits and the row goes.
    screen.drag(b, CGPointMake(b.x - 80, b.y));
    StateCell& again = stateCell(*screen.table, {1, 0});
    const CGRect pressed = again.deleteConfirmationControl()->convertRectToView(
        again.deleteConfirmationControl()->bounds(), nullptr);
    EXPECT_TRUE(screen.router.tap(CGPointMake(CGRectGetMidX(pressed), CGRectGetMidY(pressed))));
    ASSERT_EQ(source.commits.size(), 1u);
    EXPECT_EQ(source.commits[0].first, UITableViewCellEditingStyle::Delete);
    EXPECT_EQ(source.commits[0].second, NSIndexPath(1, 0));
    EXPECT_TRUE(source.selections.empty());
    screen.table->layoutIfNeeded();
    EXPECT_EQ(screen.table->numberOfRowsInSection(0), 3);
    EXPECT_EQ(screen.table->cellForRowAtIndexPath({1, 0})->textLabel()->text(), "c");
    EXPECT_EQ(screen.table->visibleCells().size(), 3u);
    EXPECT_FALSE(screen.table->indexPathForDeleteConfirmation().has_value());

    // A data source that edits nothing offers no swipe.
    struct ReadOnly : RecordingTableSource {
        bool canEditRowAtIndexPath(UITableView& table, const NSIndexPath& path) override
        {
            return UITableViewDataSource::canEditRowAtIndexPath(table, path);
        }
    } readOnly;
    readOnly.sections = {{"x"}};
    screen.table->setDataSource(&readOnly);
    screen.table->setDelegate(&readOnly);
    screen.table->layoutIfNeeded();
    const CGPoint x = screen.screenPointOf({0, 0});
    screen.drag(x, CGPointMake(x.x - 80, x.y));
    EXPECT_FALSE(screen.table->indexPathForDeleteConfirmation().has_value());
}

TEST(TableView, EditingModeShowsControlsThatConfirmAndDelete)
{
    StateSource source;
    source.sections = {{"a", "b", "c"}};
    source.editable = [](const NSIndexPath& path) { return path.row() != 2; };
    TableOnScreen screen(source);

    screen.table->setEditing(true);
    screen.table->layoutIfNeeded();
    EXPECT_EQ(stateCell(*screen.table, {0, 0}).state(), UITableViewCellStateShowingEditControlMask);
    EXPECT_EQ(stateCell(*screen.table, {2, 0}).state(), UITableViewCellStateDefaultMask);
    UITableViewCell& first = stateCell(*screen.table, {0, 0});
    ASSERT_NE(first.editControl(), nullptr);
    first.layoutIfNeeded();
    EXPECT_DOUBLE_EQ(first.contentView()->frame().origin.x, UITableViewCellEditControl::width);

    // A swipe in editing mode does nothing; the control uncovers the confirmation, the button deletes.
    const CGPoint a = screen.screenPointOf({0, 0});
    screen.drag(a, CGPointMake(a.x - 80, a.y));
    EXPECT_FALSE(screen.table->indexPathForDeleteConfirmation().has_value());
    first.editControl()->sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(first.state(),
              UITableViewCellStateShowingEditControlMask | UITableViewCellStateShowingDeleteConfirmationMask);
    EXPECT_TRUE(first.editControl()->isRotated());
    first.deleteConfirmationControl()->sendActionsForControlEvents(UIControlEventTouchUpInside);
    ASSERT_EQ(source.commits.size(), 1u);
    EXPECT_EQ(source.commits[0].second, NSIndexPath(0, 0));
    screen.table->layoutIfNeeded();
    EXPECT_EQ(screen.table->numberOfRowsInSection(0), 2);
    EXPECT_EQ(screen.table->cellForRowAtIndexPath({0, 0})->textLabel()->text(), "b");

    // Leaving editing mode takes the controls away again.
    screen.table->setEditing(false);
    EXPECT_EQ(stateCell(*screen.table, {0, 0}).state(), UITableViewCellStateDefaultMask);
    EXPECT_EQ(stateCell(*screen.table, {0, 0}).editControl()->superview(), nullptr);
}

TEST(TableView, GroupedUpdatesAskOnlyForNewRowsAndKeepSurvivingCells)
{
    auto source = RecordingTableSource::withRows(6, 2);
    TableOnScreen screen(source);
    const auto cellC = screen.table->cellForRowAtIndexPath({3, 0});
    source.resetCounts();

    // Delete rows 0 and 1 (old numbering), insert two rows at 0 and 4 (new numbering), in one group.
    auto& rows = source.sections[0];
    rows.erase(rows.begin(), rows.begin() + 2);
    rows.insert(rows.begin(), "new first");
    rows.insert(rows.begin() + 4, "new fifth");
    screen.table->beginUpdates();
    screen.table->deleteRowsAtIndexPaths({{0, 0}, {1, 0}}, UITableViewRowAnimation::Right);
    screen.table->beginUpdates();
    screen.table->insertRowsAtIndexPaths({{0, 0}, {4, 0}}, UITableViewRowAnimation::Left);
    screen.table->endUpdates();
    EXPECT_EQ(screen.table->numberOfRowsInSection(0), 6);  // nothing applied before the outer end
    EXPECT_EQ(source.asked.heights, 0);
    screen.table->endUpdates();
    EXPECT_EQ(source.asked.heights, 2);
    screen.table->layoutIfNeeded();
    EXPECT_EQ(screen.table->cellForRowAtIndexPath({2, 0}), cellC);  // old row 3 is now row 2
    for (int row = 0; row < 6; ++row) {
        EXPECT_EQ(screen.table->cellForRowAtIndexPath({row, 0})->textLabel()->text(), source.textAt({row, 0}));
    }
    EXPECT_EQ(source.asked.cells, 2);

    // Reloading a row asks for its height and a fresh cell; sections come and go likewise.
    source.resetCounts();
    source.sections[0][1] = "renamed";
    screen.table->reloadRowsAtIndexPaths({{1, 0}}, UITableViewRowAnimation::None);
    screen.table->layoutIfNeeded();
    EXPECT_EQ(source.asked.heights, 1);
    EXPECT_EQ(screen.table->cellForRowAtIndexPath({1, 0})->textLabel()->text(), "renamed");
    source.sections.insert(source.sections.begin(), {"top"});
    screen.table->insertSections({0}, UITableViewRowAnimation::Fade);
    EXPECT_EQ(screen.table->numberOfSections(), 3);
    screen.table->layoutIfNeeded();
    EXPECT_EQ(screen.table->cellForRowAtIndexPath({0, 0})->textLabel()->text(), "top");
    EXPECT_EQ(screen.table->cellForRowAtIndexPath({2, 1}), cellC);
    source.sections.erase(source.sections.begin() + 1);
    screen.table->deleteSections({1}, UITableViewRowAnimation::Fade);
    screen.table->layoutIfNeeded();
    EXPECT_EQ(screen.table->numberOfSections(), 2);
    EXPECT_EQ(screen.table->cellForRowAtIndexPath({0, 1})->textLabel()->text(), "Row 1.0");

    // A selected row follows its row; a deleted one loses the selection.
    screen.table->selectRowAtIndexPath({0, 1}, false, UITableViewScrollPosition::None);
    source.sections[1].insert(source.sections[1].begin(), "pushed");
    screen.table->insertRowsAtIndexPaths({{0, 1}}, UITableViewRowAnimation::Top);
    EXPECT_EQ(screen.table->indexPathForSelectedRow(), NSIndexPath(1, 1));
    source.sections[1].erase(source.sections[1].begin() + 1);
    screen.table->deleteRowsAtIndexPaths({{1, 1}}, UITableViewRowAnimation::Bottom);
    EXPECT_FALSE(screen.table->indexPathForSelectedRow().has_value());
}

TEST(TableView, AnUpdateThatDoesNotAddUpReloadsInstead)
{
    auto source = RecordingTableSource::withRows(5);
    TableOnScreen screen(source);
    source.resetCounts();
    // The data source lost two rows but reports one deletion: the table reloads from the data source.
    source.sections[0].resize(3);
    testing::internal::CaptureStderr();
    screen.table->deleteRowsAtIndexPaths({{4, 0}}, UITableViewRowAnimation::Fade);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("UITableView"), std::string::npos);
    EXPECT_EQ(source.asked.heights, 3);
    screen.table->layoutIfNeeded();
    EXPECT_EQ(screen.table->visibleCells().size(), 3u);
    // Rows past the end are refused the same way.
    source.sections[0].push_back("x");
    testing::internal::CaptureStderr();
    screen.table->insertRowsAtIndexPaths({{9, 0}}, UITableViewRowAnimation::Fade);
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
    EXPECT_EQ(screen.table->numberOfRowsInSection(0), 4);
}

TEST(TableView, GroupedSectionsHaveTitledGapsAndCardPieces)
{
    auto source = RecordingTableSource::withRows(3, 2);
    source.headers = {std::string("Official Plug-ins"), std::nullopt};
    source.footers = {std::nullopt, std::string("Tap '+' to add a redirection.")};
    TableOnScreen screen(source, UITableViewStyle::Grouped);

    const CGRect header = screen.table->rectForHeaderInSection(0);
    EXPECT_GT(header.size.height, UITableViewSectionTitleView::groupedGap + 15);
    EXPECT_DOUBLE_EQ(screen.table->rectForHeaderInSection(1).size.height, UITableViewSectionTitleView::groupedGap);
    EXPECT_DOUBLE_EQ(screen.table->rectForFooterInSection(0).size.height, UITableViewSectionTitleView::groupedGap);
    EXPECT_DOUBLE_EQ(screen.table->rectForRowAtIndexPath({0, 0}).origin.y, CGRectGetMaxY(header));
    ASSERT_NE(screen.table->headerViewForSection(0), nullptr);
    EXPECT_EQ(screen.table->headerViewForSection(0)->title(), "Official Plug-ins");
    EXPECT_EQ(screen.table->headerViewForSection(1), nullptr);
    ASSERT_NE(screen.table->footerViewForSection(1), nullptr);
    EXPECT_EQ(screen.table->footerViewForSection(1)->kind(), UITableViewSectionTitleView::Kind::GroupedFooter);

    // A narrower table wraps its titles over more lines.
    const CGFloat footer = screen.table->rectForFooterInSection(1).size.height;
    screen.table->setFrame(CGRectMake(0, 64, 120, 416));
    screen.table->layoutIfNeeded();
    EXPECT_GT(screen.table->rectForFooterInSection(1).size.height, footer);

    // Each cell is a piece of its section's card.
    using Location = UITableViewCellBackgroundView::SectionLocation;
    const auto locationOf = [&](const NSIndexPath& path) {
        auto cell = screen.table->cellForRowAtIndexPath(path);
        for (const auto& subview : cell->subviews()) {
            if (auto* background = dynamic_cast<UITableViewCellBackgroundView*>(subview.get());
                background != nullptr && background->fill() == UITableViewCellBackgroundView::Fill::White) {
                return background->sectionLocation();
            }
        }
        ADD_FAILURE() << "no card piece";
        return Location::Alone;
    };
    EXPECT_EQ(locationOf({0, 0}), Location::Top);
    EXPECT_EQ(locationOf({1, 0}), Location::Middle);
    EXPECT_EQ(locationOf({2, 0}), Location::Bottom);
    source.sections[1].resize(1);
    screen.table->deleteRowsAtIndexPaths({{1, 1}, {2, 1}}, UITableViewRowAnimation::Fade);
    screen.table->layoutIfNeeded();
    EXPECT_EQ(locationOf({0, 1}), Location::Alone);
}

// Updates named with an animation, and animated deselection, move on the clock; the table's record takes
// the end state at once.
class TableUpdateAnimation : public ::testing::Test {
protected:
    void TearDown() override { step(1); }
    static void drain()
    {
        while (NSRunLoop::mainRunLoop().runOnce()) {
        }
    }
    void step(double seconds)
    {
        time.clock().advance(seconds);
        drain();
    }
    static bool isSubviewOf(const UIView& view, const UIView& parent) { return view.superview() == &parent; }

    SteppedClockScope time{500.0};
    RecordingTableSource source = RecordingTableSource::withRows(5);
    TableOnScreen screen{source};
};

TEST_F(TableUpdateAnimation, ADeletedRowFadesOutWhileTheRowsBelowSlideUpThenItsCellIsReused)
{
    const auto leaving = screen.table->cellForRowAtIndexPath({1, 0});
    const auto below = screen.table->cellForRowAtIndexPath({2, 0});
    const CGRect belowBefore = below->frame();
    source.sections[0].erase(source.sections[0].begin() + 1);
    screen.table->deleteRowsAtIndexPaths({{1, 0}}, UITableViewRowAnimation::Fade);

    EXPECT_EQ(screen.table->visibleCells().size(), 4u);
    EXPECT_EQ(screen.table->cellForRowAtIndexPath({1, 0}), below);
    EXPECT_EQ(below->frame(), screen.table->rectForRowAtIndexPath({1, 0}));  // the model is at its end
    EXPECT_TRUE(isSubviewOf(*leaving, *screen.table)) << "the deleted row's cell stays while it fades";

    step(UITableViewUpdateAnimation::duration / 2);
    EXPECT_NEAR(leaving->presentationAlpha(), 0.5, 0.01);
    EXPECT_NEAR(below->presentationFrame().origin.y, belowBefore.origin.y - 22, 0.5);

    step(UITableViewUpdateAnimation::duration / 2 + 0.01);
    EXPECT_FALSE(isSubviewOf(*leaving, *screen.table));
    EXPECT_EQ(leaving->alpha(), 1);
    EXPECT_EQ(screen.table->dequeueReusableCellWithIdentifier(leaving->reuseIdentifier()), leaving);
    EXPECT_EQ(below->presentationFrame(), below->frame());
}

TEST_F(TableUpdateAnimation, AnInsertedRowSlidesInFromTheSideItNames)
{
    source.sections[0].insert(source.sections[0].begin(), "arrived");
    screen.table->insertRowsAtIndexPaths({{0, 0}}, UITableViewRowAnimation::Right);
    const auto arrived = screen.table->cellForRowAtIndexPath({0, 0});
    ASSERT_NE(arrived, nullptr);
    EXPECT_EQ(arrived->textLabel()->text(), "arrived");
    EXPECT_EQ(arrived->frame().origin.x, 0);
    EXPECT_NEAR(arrived->presentationFrame().origin.x, 320, 0.5);
    EXPECT_EQ(arrived->presentationAlpha(), 1) << "sideways rows slide without fading";
    step(UITableViewUpdateAnimation::duration / 2);
    EXPECT_NEAR(arrived->presentationFrame().origin.x, 160, 0.5);
    step(UITableViewUpdateAnimation::duration);
    EXPECT_EQ(arrived->presentationFrame(), arrived->frame());
}

TEST_F(TableUpdateAnimation, NoneOrDisabledAnimationsShowTheEndAtOnce)
{
    const auto gone = screen.table->cellForRowAtIndexPath({0, 0});
    const auto next = screen.table->cellForRowAtIndexPath({1, 0});
    source.sections[0].erase(source.sections[0].begin());
    screen.table->deleteRowsAtIndexPaths({{0, 0}}, UITableViewRowAnimation::None);
    EXPECT_FALSE(isSubviewOf(*gone, *screen.table));
    EXPECT_EQ(next->presentationFrame(), next->frame());

    UIView::setAnimationsEnabled(false);
    const auto second = screen.table->cellForRowAtIndexPath({0, 0});
    source.sections[0].erase(source.sections[0].begin());
    screen.table->deleteRowsAtIndexPaths({{0, 0}}, UITableViewRowAnimation::Fade);
    UIView::setAnimationsEnabled(true);
    EXPECT_FALSE(isSubviewOf(*second, *screen.table));
}

TEST_F(TableUpdateAnimation, ATableReleasedWhileRowsLeaveLetsThemGo)
{
    auto source = RecordingTableSource::withRows(3);
    auto table = UITableView::initWithFrameStyle(CGRectMake(0, 0, 320, 200), UITableViewStyle::Plain);
    table->setDataSource(&source);
    table->layoutIfNeeded();
    const std::weak_ptr<UITableViewCell> leaving = table->cellForRowAtIndexPath({0, 0});
    source.sections[0].erase(source.sections[0].begin());
    table->deleteRowsAtIndexPaths({{0, 0}}, UITableViewRowAnimation::Top);
    table->setDataSource(nullptr);
    table.reset();
    step(UITableViewUpdateAnimation::duration + 0.01);
    EXPECT_TRUE(leaving.expired()) << "the leaving cell outlived its table";
}

TEST_F(TableUpdateAnimation, AnAnimatedDeselectionFadesTheSelectedBackgroundOut)
{
    const auto cell = screen.table->cellForRowAtIndexPath({2, 0});
    auto background = std::make_shared<UIView>(cell->bounds());
    cell->setSelectedBackgroundView(background);
    screen.table->selectRowAtIndexPath({2, 0}, false, UITableViewScrollPosition::None);
    ASSERT_FALSE(background->isHidden());

    screen.table->deselectRowAtIndexPath({2, 0}, true);
    EXPECT_FALSE(cell->isSelected());
    EXPECT_FALSE(background->isHidden()) << "still fading";
    step(UITableViewCell::deselectionDuration / 2);
    EXPECT_NEAR(background->presentationAlpha(), 0.5, 0.01);
    step(UITableViewCell::deselectionDuration / 2 + 0.01);
    EXPECT_TRUE(background->isHidden());
    EXPECT_EQ(background->alpha(), 1);

    // Selected again while fading: it shows fully, and the end of the fade does not hide it.
    screen.table->selectRowAtIndexPath({2, 0}, false, UITableViewScrollPosition::None);
    screen.table->deselectRowAtIndexPath({2, 0}, true);
    step(0.1);
    screen.table->selectRowAtIndexPath({2, 0}, false, UITableViewScrollPosition::None);
    EXPECT_EQ(background->alpha(), 1);
    step(UITableViewCell::deselectionDuration);
    EXPECT_FALSE(background->isHidden());
    EXPECT_EQ(background->presentationAlpha(), 1);

    // Without animation the background goes at once.
    screen.table->deselectRowAtIndexPath({2, 0}, false);
    EXPECT_TRUE(background->isHidden());
}

} // namespace

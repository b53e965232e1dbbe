#include "UITableViewCell.h"
#include "UITableViewEditingState.h"
#include "UITableViewReuseQueue.h"
#include "UITableViewRowData.h"

#include <gtest/gtest.h>

#include <random>

namespace {

UITableViewRowData::Section section(double header, double footer, std::vector<double> rows)
{
    return {header, footer, std::move(rows), {}};
}

TEST(TableRowData, PlacesSectionsHeadersRowsAndFootersAndFindsThem)
{
    UITableViewRowData data;
    data.reset({section(20, 10, {44, 60, 44}), section(0, 0, {}), section(5, 5, {30})}, 10, 10);

    EXPECT_EQ(data.numberOfSections(), 3);
    EXPECT_EQ(data.numberOfRowsInSection(0), 3);
    EXPECT_EQ(data.numberOfRowsInSection(7), 0);
    EXPECT_DOUBLE_EQ(data.rectForHeaderInSection(0).origin, 10);
    EXPECT_DOUBLE_EQ(data.rectForRow({0, 0}).origin, 30);
    EXPECT_DOUBLE_EQ(data.rectForRow({1, 0}).origin, 74);
    EXPECT_DOUBLE_EQ(data.rectForRow({1, 0}).length, 60);
    EXPECT_DOUBLE_EQ(data.rectForFooterInSection(0).origin, 178);
    EXPECT_DOUBLE_EQ(data.rectForSection(1).origin, 188);
    EXPECT_DOUBLE_EQ(data.rectForSection(1).length, 0);
    EXPECT_DOUBLE_EQ(data.rectForRow({0, 2}).origin, 193);
    EXPECT_DOUBLE_EQ(data.contentHeight(), 10 + 178 + 0 + 40 + 10);

    // A row owns its first point, not its last; headers, footers and the margins hold no row.
    EXPECT_EQ(data.indexPathForRowAtOffset(74), NSIndexPath(1, 0));
    EXPECT_EQ(data.indexPathForRowAtOffset(73.9), NSIndexPath(0, 0));
    EXPECT_EQ(data.indexPathForRowAtOffset(15), std::nullopt);
    EXPECT_EQ(data.indexPathForRowAtOffset(180), std::nullopt);
    EXPECT_EQ(data.indexPathForRowAtOffset(200), NSIndexPath(0, 2));
    EXPECT_EQ(data.indexPathForRowAtOffset(-1), std::nullopt);
    EXPECT_EQ(data.indexPathForRowAtOffset(10000), std::nullopt);

    EXPECT_EQ(data.indexPathsForRowsInSpan(70, 140), (std::vector<NSIndexPath>{{0, 0}, {1, 0}, {2, 0}}));
    EXPECT_EQ(data.indexPathsForRowsInSpan(74, 134), (std::vector<NSIndexPath>{{1, 0}}));
    EXPECT_EQ(data.indexPathsForRowsInSpan(170, 250), (std::vector<NSIndexPath>{{2, 0}, {0, 2}}));
    EXPECT_TRUE(data.indexPathsForRowsInSpan(50, 50).empty());
    EXPECT_EQ(data.sectionsInSpan(0, 1000), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(data.sectionsInSpan(190, 195), (std::vector<int>{2}));
}

TEST(TableRowData, EditsLeaveTheSameLayoutAsBuildingItAfresh)
{
    std::mt19937 random(7);
    std::vector<UITableViewRowData::Section> model{section(10, 10, {44, 44}), section(22, 0, {30, 50, 70})};
    UITableViewRowData edited;
    edited.reset(model, 5, 5);
    for (int step = 0; step < 300; ++step) {
        const int s = static_cast<int>(random() % model.size());
        auto& rows = model[static_cast<std::size_t>(s)].rowHeights;
        const int kind = static_cast<int>(random() % 5);
        if (kind == 0 || rows.empty()) {
            const int row = static_cast<int>(random() % (rows.size() + 1));
            const double height = 10.0 + static_cast<double>(random() % 50);
            rows.insert(rows.begin() + row, height);
            ASSERT_TRUE(edited.insertRow({row, s}, height));
        } else if (kind == 1) {
            const int row = static_cast<int>(random() % rows.size());
            rows.erase(rows.begin() + row);
            ASSERT_TRUE(edited.deleteRow({row, s}));
        } else if (kind == 2) {
            const int row = static_cast<int>(random() % rows.size());
            rows[static_cast<std::size_t>(row)] = 99;
            ASSERT_TRUE(edited.setRowHeight({row, s}, 99));
        } else if (kind == 3 && model.size() < 6) {
            model.insert(model.begin() + s, section(3, 4, {11}));
            ASSERT_TRUE(edited.insertSection(s, section(3, 4, {11})));
        } else if (model.size() > 1) {
            model.erase(model.begin() + s);
            ASSERT_TRUE(edited.deleteSection(s));
        }
        // Queries between edits exercise the partial rebuild of offsets.
        if (step % 3 == 0) {
            UITableViewRowData fresh;
            fresh.reset(model, 5, 5);
            ASSERT_DOUBLE_EQ(edited.contentHeight(), fresh.contentHeight());
            for (int t = 0; t < fresh.numberOfSections(); ++t) {
                ASSERT_DOUBLE_EQ(edited.rectForSection(t).origin, fresh.rectForSection(t).origin);
                for (int r = 0; r < fresh.numberOfRowsInSection(t); ++r) {
                    ASSERT_DOUBLE_EQ(edited.rectForRow({r, t}).origin, fresh.rectForRow({r, t}).origin);
                }
            }
        }
    }
    EXPECT_FALSE(edited.deleteRow({100, 0}));
    EXPECT_FALSE(edited.insertRow({0, 50}, 10));
    EXPECT_FALSE(edited.deleteSection(-1));
}

TEST(TableEditingState, SwipesControlsAndConfirmationsFollowTheRules)
{
    UITableViewEditingState state;
    const NSIndexPath first(0, 0), second(1, 0);
    const auto Delete = UITableViewCellEditingStyle::Delete;

    EXPECT_FALSE(state.swipe(first, UITableViewCellEditingStyle::None));
    EXPECT_TRUE(state.swipe(first, Delete));
    EXPECT_TRUE(state.isShowingSwipeConfirmation());
    EXPECT_EQ(state.stateMaskForRow(first, Delete), UITableViewCellStateShowingDeleteConfirmationMask);
    EXPECT_EQ(state.stateMaskForRow(second, Delete), UITableViewCellStateDefaultMask);
    // A second swipe only puts the first confirmation away.
    EXPECT_FALSE(state.swipe(second, Delete));
    EXPECT_FALSE(state.confirmingRow().has_value());
    EXPECT_TRUE(state.swipe(second, Delete));
    EXPECT_EQ(state.confirm(), second);
    EXPECT_FALSE(state.confirm().has_value());

    // Editing mode: controls everywhere but on rows that do not edit; swipes do nothing.
    state.swipe(first, Delete);
    state.setEditing(true);
    EXPECT_FALSE(state.confirmingRow().has_value());
    EXPECT_FALSE(state.swipe(first, Delete));
    EXPECT_EQ(state.stateMaskForRow(first, Delete), UITableViewCellStateShowingEditControlMask);
    EXPECT_EQ(state.stateMaskForRow(first, UITableViewCellEditingStyle::None), UITableViewCellStateDefaultMask);
    EXPECT_EQ(state.tapEditControl(first, Delete), std::nullopt);
    EXPECT_EQ(state.stateMaskForRow(first, Delete),
              UITableViewCellStateShowingEditControlMask | UITableViewCellStateShowingDeleteConfirmationMask);
    EXPECT_FALSE(state.isShowingSwipeConfirmation());
    state.tapEditControl(second, Delete);  // moves the confirmation
    EXPECT_EQ(state.confirmingRow(), second);
    state.tapEditControl(second, Delete);  // and a second tap hides it
    EXPECT_FALSE(state.confirmingRow().has_value());
    EXPECT_EQ(state.tapEditControl(first, UITableViewCellEditingStyle::Insert), first);
    EXPECT_TRUE(state.dismissConfirmation() == false);
}

TEST(TableReuseQueue, HandsBackCellsByIdentifierPreparedForReuse)
{
    struct CountingCell : UITableViewCell {
        using UITableViewCell::UITableViewCell;
        int prepared = 0;
        void prepareForReuse() override
        {
            ++prepared;
            UITableViewCell::prepareForReuse();
        }
    };
    UITableViewReuseQueue queue;
    auto a = std::make_shared<CountingCell>(UITableViewCellStyle::Default, "A");
    auto b = std::make_shared<CountingCell>(UITableViewCellStyle::Default, "B");
    auto anonymous = std::make_shared<CountingCell>(UITableViewCellStyle::Default, "");
    a->setSelected(true);
    queue.enqueue(a);
    queue.enqueue(b);
    queue.enqueue(anonymous);
    queue.enqueue(nullptr);
    EXPECT_EQ(queue.count(), 2u);
    EXPECT_EQ(queue.peek("A"), a);
    EXPECT_EQ(a->prepared, 0);
    EXPECT_EQ(queue.dequeue("C"), nullptr);
    EXPECT_EQ(queue.dequeue("A"), a);
    EXPECT_EQ(a->prepared, 1);
    EXPECT_FALSE(a->isSelected());
    EXPECT_EQ(queue.dequeue("A"), nullptr);
    EXPECT_EQ(queue.count("B"), 1u);
    queue.clear();
    EXPECT_EQ(queue.count(), 0u);
}

} // namespace

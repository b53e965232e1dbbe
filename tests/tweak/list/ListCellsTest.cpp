// The cells of the panel's list: their geometry for both icon settings, the badge's size, the new mark,
// the header's touch feedback and the show-older button kept centred.
#include "../LogTestSupport.h"
#include "NSNumber.h"
#include "NSString-UIStringDrawing.h"
#include "SteppedClockScope.h"
#include "VTHeaderCell.h"
#include "VTNotificationCell.h"
#include "VTShowMoreCell.h"

#include <gtest/gtest.h>

using logtest::LogFixture;

namespace {

void expectRect(CGRect actual, CGRect expected)
{
    EXPECT_EQ(actual.origin.x, expected.origin.x);
    EXPECT_EQ(actual.origin.y, expected.origin.y);
    EXPECT_EQ(actual.size.width, expected.size.width);
    EXPECT_EQ(actual.size.height, expected.size.height);
}

double boldWidth(const std::string& text) { return sizeWithFont(text, UIFont::boldSystemFontOfSize(14)).width; }

bool sameColour(const std::shared_ptr<UIColor>& colour, double red, double green, double blue)
{
    return colour && colour->isEqual(*UIColor::colorWithRedGreenBlueAlpha(red, green, blue, 1));
}

} // namespace

class ListCells : public LogFixture {};

TEST_F(ListCells, HeaderIconAndTitleFollowTheIconSetting)
{
    for (const bool customIcons : {true, false}) {
        logtest::writePreferences({{"Custom Icons", NSNumber::numberWithBool(customIcons)}});
        PLWriter::reloadSettings();
        VTHeaderCell cell(UITableViewCellStyle::Default, "Header Cell");
        const double size = customIcons ? 32 : 29;
        expectRect(cell.icon()->frame(), CGRectMake(9, 6, size, size));
        expectRect(cell.title()->frame(), CGRectMake(50, 0, 300, customIcons ? 44 : 41));
        EXPECT_EQ(cell.accessoryView().get(), &cell.badge());

        cell.setFrame(CGRectMake(0, 0, 320, 44));
        expectRect(cell.highlight().frame(), CGRectMake(0, 0, 320, 44));
    }
}

TEST_F(ListCells, TheBadgeIsSixteenPointsWiderThanItsNumber)
{
    VTHeaderCell cell(UITableViewCellStyle::Default, "Header Cell");
    for (const int count : {7, 1234}) {
        cell.setCount(count);
        EXPECT_EQ(cell.badge().text(), std::to_string(count));
        expectRect(cell.badge().frame(), CGRectMake(0, 0, boldWidth(std::to_string(count)) + 16, 18));
    }
    EXPECT_GT(boldWidth("1234"), boldWidth("7"));
}

TEST_F(ListCells, TouchingAHeaderDarkensItBrieflyAndLiftingFadesItBack)
{
    SteppedClockScope time;
    VTHeaderCell cell(UITableViewCellStyle::Default, "Header Cell");
    cell.touchesBeganWithEvent({}, nullptr);
    EXPECT_EQ(cell.highlight().alpha(), 0.15);
    time.clock().advance(0.05);
    const double halfway = cell.highlight().presentationAlpha();
    EXPECT_GT(halfway, 0);
    EXPECT_LT(halfway, 0.15);
    time.clock().advance(0.06);
    EXPECT_EQ(cell.highlight().presentationAlpha(), 0.15);
    cell.touchesCancelledWithEvent({}, nullptr);
    time.clock().advance(0.11);
    EXPECT_EQ(cell.highlight().presentationAlpha(), 0);
}

TEST_F(ListCells, AnEntryCellLaysItsTextOutAndMarksNewEntriesInBlue)
{
    VTNotificationCell cell(UITableViewCellStyle::Default, "Cell");
    cell.setFrame(CGRectMake(0, 0, 320, 60));
    expectRect(cell.notification()->frame(), CGRectMake(15, 20, 282, 34)); // the text's measured 34 of a 60-point row
    expectRect(cell.separator().frame(), CGRectMake(0, 59, 320, 1));
    expectRect(cell.date()->frame(), CGRectMake(15, 6, 282, 13)); // as wide as the text, so a long date is whole

    cell.setNewNotification(true);
    EXPECT_TRUE(sameColour(cell.date()->textColor(), 0.19, 0.42, 0.77));
    cell.prepareForReuse();
    cell.setNewNotification(false);
    EXPECT_TRUE(sameColour(cell.date()->textColor(), 0.6, 0.6, 0.6));
    cell.setSelectedAnimated(true, false);
    EXPECT_FALSE(cell.isSelected());
}

TEST_F(ListCells, TheShowOlderButtonStaysCentred)
{
    VTShowMoreCell cell(UITableViewCellStyle::Default, "More Cell");
    EXPECT_EQ(cell.button()->currentTitle(), "Show Older");
    for (const double width : {320.0, 480.0}) {
        cell.setFrame(CGRectMake(0, 0, width, 50));
        expectRect(cell.button()->frame(), CGRectMake(width / 2 - 127, 7.5, 254, 35));
    }
}

#include "RecordingTableSource.h"
#include "UIGraphics.h"
#include "UIImage.h"
#include "UIRenderer.h"
#include "UITableView.h"
#include "UITableViewCell.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <functional>

namespace {

using Pixel = UIImage::Pixel;

int countPixels(const UIImage& image, CGRect area, const std::function<bool(Pixel)>& wanted)
{
    int count = 0;
    for (int y = static_cast<int>(area.origin.y); y < static_cast<int>(CGRectGetMaxY(area)); ++y) {
        for (int x = static_cast<int>(area.origin.x); x < static_cast<int>(CGRectGetMaxX(area)); ++x) {
            count += wanted(image.pixelAt(x, y)) ? 1 : 0;
        }
    }
    return count;
}

bool isDark(Pixel p) { return p.alpha > 200 && p.red < 90 && p.green < 90 && p.blue < 90; }
bool isWhite(Pixel p) { return p.alpha > 250 && p.red > 250 && p.green > 250 && p.blue > 250; }
bool isSlateBlue(Pixel p) { return p.alpha > 200 && p.blue > p.red + 40 && p.blue < 200; }
bool isMidGrey(Pixel p)
{
    return p.alpha > 200 && p.red > 90 && p.red < 200 && std::abs(p.red - p.blue) < 8 && std::abs(p.red - p.green) < 8;
}
bool isSelectionBlue(Pixel p) { return p.blue > 200 && p.red < 60; }

std::shared_ptr<UIImage> render(UITableViewCell& cell)
{
    cell.layoutIfNeeded();
    return UIRenderer::renderView(cell, 1);
}

TEST(TableCellPixels, EachStyleDrawsItsContentsWhereItLaysThemOut)
{
    // Default: a white row, one dark bold line, the grey separator along the bottom.
    UITableViewCell plain(UITableViewCellStyle::Default, "Cell");
    plain.textLabel()->setText("Messages");
    auto image = render(plain);
    ASSERT_EQ(image->pixelWidth(), 320);
    EXPECT_TRUE(isWhite(image->pixelAt(300, 20)));
    EXPECT_EQ(image->pixelAt(100, 43), (Pixel{225, 225, 225, 255}));
    EXPECT_GT(countPixels(*image, CGRectMake(10, 8, 110, 28), isDark), 80);
    EXPECT_EQ(countPixels(*image, CGRectMake(0, 0, 9, 43), isDark), 0);
    EXPECT_EQ(countPixels(*image, CGRectMake(150, 0, 170, 43), isDark), 0);

    // Value1: the title at the left in black, the detail at the right in slate blue.
    UITableViewCell value(UITableViewCellStyle::Value1, "Cell");
    value.textLabel()->setText("Messages");
    value.detailTextLabel()->setText("com.apple.MobileSMS");
    image = render(value);
    EXPECT_GT(countPixels(*image, CGRectMake(10, 8, 100, 28), isDark), 50);
    EXPECT_EQ(countPixels(*image, CGRectMake(10, 8, 80, 28), isSlateBlue), 0);
    EXPECT_GT(countPixels(*image, CGRectMake(200, 8, 110, 28), isSlateBlue), 50);
    EXPECT_EQ(countPixels(*image, CGRectMake(200, 8, 110, 28), isDark), 0);
    const CGRect detail = value.detailTextLabel()->frame();
    EXPECT_DOUBLE_EQ(CGRectGetMaxX(detail), 310);

    // Subtitle: a black title over a grey detail.
    UITableViewCell subtitle(UITableViewCellStyle::Subtitle, "Cell");
    subtitle.setFrame(CGRectMake(0, 0, 320, 60));
    subtitle.textLabel()->setText("Vantle");
    subtitle.detailTextLabel()->setText("Notifications the way Apple should have done it.");
    image = render(subtitle);
    const CGRect title = subtitle.textLabel()->frame();
    const CGRect below = subtitle.detailTextLabel()->frame();
    EXPECT_DOUBLE_EQ(below.origin.y, CGRectGetMaxY(title));
    EXPECT_GT(countPixels(*image, title, isDark), 50);
    EXPECT_GT(countPixels(*image, below, isMidGrey), 50);
    EXPECT_EQ(countPixels(*image, below, isDark), 0);
}

TEST(TableCellPixels, SelectionImagesAndAccessoriesShowWhereTheyBelong)
{
    UITableViewCell cell(UITableViewCellStyle::Default, "Cell");
    cell.textLabel()->setText("Vantle Wiki");
    cell.setAccessoryType(UITableViewCellAccessoryType::DisclosureIndicator);
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(29, 29), false, 1);
    UIGraphicsGetCurrentContext()->setRGBFillColor(1, 0, 0, 1);
    UIGraphicsGetCurrentContext()->fillRect(CGRectMake(0, 0, 29, 29));
    cell.imageView()->setImage(UIGraphicsGetImageFromCurrentImageContext());
    UIGraphicsEndImageContext();

    auto image = render(cell);
    EXPECT_EQ(image->pixelAt(20, 20), (Pixel{255, 0, 0, 255}));  // the image at x 10, centred
    EXPECT_DOUBLE_EQ(cell.imageView()->frame().origin.y, 7);
    EXPECT_DOUBLE_EQ(cell.textLabel()->frame().origin.x, 49);
    const CGRect chevron = cell.currentAccessoryView()->frame();
    EXPECT_DOUBLE_EQ(CGRectGetMaxX(chevron), 310);
    EXPECT_GT(countPixels(*image, chevron, isMidGrey), 10);
    EXPECT_LE(CGRectGetMaxX(cell.contentView()->frame()), chevron.origin.x);

    // Selected in blue: the row turns blue, the text and the chevron white.
    cell.setSelected(true);
    image = render(cell);
    EXPECT_TRUE(isSelectionBlue(image->pixelAt(300, 5)));
    EXPECT_EQ(countPixels(*image, CGRectMake(49, 8, 120, 28), isDark), 0);
    EXPECT_GT(countPixels(*image, CGRectMake(49, 8, 120, 28), isWhite), 40);
    EXPECT_EQ(countPixels(*image, chevron, isMidGrey), 0);

    // Grey selection; and none at all draws the row as unselected.
    cell.setSelectionStyle(UITableViewCellSelectionStyle::Gray);
    image = render(cell);
    EXPECT_TRUE(isMidGrey(image->pixelAt(300, 5)));
    cell.setSelectionStyle(UITableViewCellSelectionStyle::None);
    image = render(cell);
    EXPECT_TRUE(isWhite(image->pixelAt(300, 5)));
    EXPECT_GT(countPixels(*image, CGRectMake(49, 8, 120, 28), isDark), 40);

    // An accessory view of the caller's is centred at the right edge instead of the chevron.
    auto badge = std::make_shared<UIView>(CGRectMake(0, 0, 30, 18));
    badge->setBackgroundColor(UIColor::colorWithRedGreenBlueAlpha(0, 1, 0, 1));
    cell.setAccessoryView(badge);
    cell.layoutIfNeeded();
    EXPECT_EQ(badge->frame(), CGRectMake(280, 13, 30, 18));
    EXPECT_EQ(cell.currentAccessoryView(), badge.get());
}

TEST(TableCellPixels, GroupedCardsSitOnThePinstripedBackground)
{
    auto source = RecordingTableSource::withRows(2, 1);
    auto table = std::make_shared<UITableView>(CGRectMake(0, 0, 320, 120), UITableViewStyle::Grouped);
    table->setDataSource(&source);
    table->setDelegate(&source);
    table->layoutIfNeeded();
    const auto image = UIRenderer::renderView(*table, 1);
    table->setDataSource(nullptr);
    table->setDelegate(nullptr);

    const CGRect first = table->rectForRowAtIndexPath({0, 0});
    const CGRect second = table->rectForRowAtIndexPath({1, 0});
    ASSERT_DOUBLE_EQ(first.origin.y, 10);
    const auto stripe = image->pixelAt(3, 30);
    EXPECT_TRUE(stripe.blue > stripe.red && stripe.red > 180) << int(stripe.red);
    EXPECT_TRUE(isWhite(image->pixelAt(250, 30)));
    // The card is inset 10 points, its top corners rounded (the corner shows the background), its edge and
    // the line between its rows grey.
    EXPECT_EQ(image->pixelAt(11, 11), image->pixelAt(8, 11));
    EXPECT_TRUE(isWhite(image->pixelAt(30, 12)));
    const auto edge = image->pixelAt(10, 30);
    EXPECT_TRUE(edge.red < 200 && edge.red == edge.blue) << int(edge.red);
    const auto between = image->pixelAt(200, static_cast<int>(second.origin.y) - 1);
    EXPECT_TRUE(between.red < 200 && between.red == between.blue);
    EXPECT_TRUE(isWhite(image->pixelAt(200, static_cast<int>(second.origin.y) + 5)));
    // The text sits inside the card: 10 points from its edge.
    EXPECT_GT(countPixels(*image, CGRectMake(20, first.origin.y + 8, 100, 28), isDark), 50);
    EXPECT_EQ(countPixels(*image, CGRectMake(0, 0, 19, 120), isDark), 0);
}

} // namespace

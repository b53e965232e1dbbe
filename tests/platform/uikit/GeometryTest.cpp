#include "CGAffineTransform.h"
#include "CGGeometry.h"
#include "UIView.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectRect(CGRect actual, CGFloat x, CGFloat y, CGFloat w, CGFloat h)
{
    EXPECT_NEAR(actual.origin.x, x, 1e-9);
    EXPECT_NEAR(actual.origin.y, y, 1e-9);
    EXPECT_NEAR(actual.size.width, w, 1e-9);
    EXPECT_NEAR(actual.size.height, h, 1e-9);
}

TEST(Geometry, RectangleHelpersStandardiseAndTreatEdgesAsThePlatformDoes)
{
    const CGRect negative = CGRectMake(10, 10, -4, -6);
    expectRect(CGRectStandardize(negative), 6, 4, 4, 6);
    EXPECT_EQ(CGRectGetMaxX(negative), 10);
    EXPECT_EQ(CGRectGetMinY(negative), 4);

    const CGRect r = CGRectMake(0, 0, 10, 10);
    EXPECT_TRUE(CGRectContainsPoint(r, {0, 0}));
    EXPECT_FALSE(CGRectContainsPoint(r, {10, 5}));  // the maximum edge is outside
    EXPECT_TRUE(CGRectContainsPoint(r, {9.999, 9.999}));

    expectRect(CGRectIntersection(r, CGRectMake(5, -5, 10, 10)), 5, 0, 5, 5);
    EXPECT_TRUE(CGRectIsNull(CGRectIntersection(r, CGRectMake(20, 20, 1, 1))));
    EXPECT_FALSE(CGRectIntersectsRect(r, CGRectMake(20, 20, 1, 1)));
    expectRect(CGRectUnion(r, CGRectMake(20, 20, 1, 1)), 0, 0, 21, 21);
    expectRect(CGRectUnion(CGRectNull, r), 0, 0, 10, 10);
    EXPECT_TRUE(CGRectContainsRect(r, CGRectMake(2, 2, 3, 3)));
    EXPECT_FALSE(CGRectContainsRect(r, CGRectMake(8, 8, 3, 3)));

    expectRect(CGRectInset(r, 2, 3), 2, 3, 6, 4);
    EXPECT_TRUE(CGRectIsNull(CGRectInset(r, 6, 0)));  // insetting past the middle leaves nothing
    expectRect(CGRectInset(r, -1, -1), -1, -1, 12, 12);
    expectRect(CGRectOffset(r, 3, -2), 3, -2, 10, 10);
    expectRect(CGRectIntegral(CGRectMake(0.5, 0.2, 1.2, 1.1)), 0, 0, 2, 2);
    expectRect(UIEdgeInsetsInsetRect(r, UIEdgeInsetsMake(1, 2, 3, 4)), 2, 1, 4, 6);

    EXPECT_TRUE(CGRectIsEmpty(CGRectMake(1, 1, 0, 5)));
    EXPECT_TRUE(CGRectIsEmpty(CGRectNull));
    EXPECT_FALSE(CGRectIsEmpty(r));
    EXPECT_TRUE(CGRectEqualToRect(CGRectMake(10, 10, -4, -6), CGRectMake(6, 4, 4, 6)));
}

TEST(Geometry, TransformsComposeInThePlatformsOrderAndInvert)
{
    const CGAffineTransform move = CGAffineTransformMakeTranslation(10, 0);
    const CGAffineTransform turn = CGAffineTransformMakeRotation(M_PI / 2);

    // A quarter turn takes the x axis to the y axis (clockwise on a y-down screen).
    const CGPoint turned = CGPointApplyAffineTransform({1, 0}, turn);
    EXPECT_NEAR(turned.x, 0, 1e-12);
    EXPECT_NEAR(turned.y, 1, 1e-12);

    // Concat applies the first transform first.
    const CGPoint moveThenTurn = CGPointApplyAffineTransform({0, 0}, CGAffineTransformConcat(move, turn));
    EXPECT_NEAR(moveThenTurn.x, 0, 1e-12);
    EXPECT_NEAR(moveThenTurn.y, 10, 1e-12);
    const CGPoint turnThenMove = CGPointApplyAffineTransform({0, 0}, CGAffineTransformConcat(turn, move));
    EXPECT_NEAR(turnThenMove.x, 10, 1e-12);
    EXPECT_NEAR(turnThenMove.y, 0, 1e-12);

    // Translate/Scale/Rotate put the new operation first.
    const CGAffineTransform scaledMove = CGAffineTransformScale(move, 2, 3);
    const CGPoint p = CGPointApplyAffineTransform({1, 1}, scaledMove);
    EXPECT_EQ(p.x, 12);
    EXPECT_EQ(p.y, 3);
    EXPECT_TRUE(CGAffineTransformEqualToTransform(CGAffineTransformTranslate(CGAffineTransformIdentity, 10, 0), move));

    const CGAffineTransform any = CGAffineTransformConcat(CGAffineTransformScale(turn, 2, 0.5), move);
    const CGPoint back =
        CGPointApplyAffineTransform(CGPointApplyAffineTransform({3, -7}, any), CGAffineTransformInvert(any));
    EXPECT_NEAR(back.x, 3, 1e-9);
    EXPECT_NEAR(back.y, -7, 1e-9);

    const CGAffineTransform singular = CGAffineTransformMakeScale(0, 1);
    EXPECT_TRUE(CGAffineTransformEqualToTransform(CGAffineTransformInvert(singular), singular));
    EXPECT_TRUE(CGAffineTransformIsIdentity(CGAffineTransformIdentity));
    EXPECT_FALSE(CGAffineTransformIsIdentity(move));

    expectRect(CGRectApplyAffineTransform(CGRectMake(0, 0, 20, 10), turn), -10, 0, 10, 20);
}

TEST(Geometry, FrameBoundsAndCentreStayConsistentUnderATransform)
{
    UIView view(CGRectMake(10, 20, 100, 50));
    expectRect(view.bounds(), 0, 0, 100, 50);
    EXPECT_EQ(view.center(), CGPointMake(60, 45));

    // A transform leaves centre and bounds alone; the frame becomes the transformed box around the centre.
    view.setTransform(CGAffineTransformMakeScale(2, 2));
    expectRect(view.frame(), -40, -5, 200, 100);
    expectRect(view.bounds(), 0, 0, 100, 50);
    view.setTransform(CGAffineTransformMakeRotation(M_PI / 2));
    expectRect(view.frame(), 35, -5, 50, 100);

    // Setting the frame with a transform: centre to the middle, bounds carried back through the inverse,
    // so the frame reads back as set; a quarter turn swaps the bounds' sides exactly.
    view.setFrame(CGRectMake(0, 0, 480, 320));
    EXPECT_EQ(view.bounds().size, CGSizeMake(320, 480));
    EXPECT_EQ(view.center(), CGPointMake(240, 160));
    EXPECT_EQ(view.frame(), CGRectMake(0, 0, 480, 320));

    // The window's rotation as the overlay controller does it: rotate, read the frame, set origin + size.
    UIView window(CGRectMake(0, 0, 320, 480));
    window.setTransform(CGAffineTransformMakeRotation(1.5707964f));
    const CGRect rotated = window.frame();
    EXPECT_NEAR(rotated.origin.x, -80, 1e-4);
    EXPECT_NEAR(rotated.size.width, 480, 1e-4);
    window.setFrame(CGRectMake(rotated.origin.x, rotated.origin.y, 480, 320));
    EXPECT_NEAR(window.bounds().size.width, 320, 1e-4);
    EXPECT_NEAR(window.bounds().size.height, 480, 1e-4);

    // Bounds origin and size changes keep the centre; the frame follows the size.
    UIView plain(CGRectMake(0, 0, 10, 10));
    plain.setBounds(CGRectMake(5, 5, 20, 30));
    EXPECT_EQ(plain.center(), CGPointMake(5, 5));
    expectRect(plain.frame(), -5, -10, 20, 30);
    plain.setCenter({100, 100});
    expectRect(plain.frame(), 90, 85, 20, 30);
}

} // namespace

#include "CALayer.h"
#include "CATransaction.h"
#include "CATransition.h"
#include "NSRunLoop.h"
#include "SteppedClockScope.h"
#include "UIRenderer.h"
#include "UIView.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

class AnimationTest : public ::testing::Test {
protected:
    void TearDown() override { drain(); }

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

    SteppedClockScope time{1000.0};
    std::vector<std::string> stops;
    int owner = 0;  // the animation delegate's identity

    // Starts a named block as the product does it: duration, optional delegate and did-stop.
    void begin(const std::string& name, double duration, bool withDelegate)
    {
        UIView::beginAnimationsContext(name, nullptr);
        UIView::setAnimationDuration(duration);
        if (withDelegate) {
            UIView::setAnimationDelegate(&owner);
            UIView::setAnimationDidStopSelector([this](const std::string& id, bool finished, void*) {
                stops.push_back(id + (finished ? ":finished" : ":interrupted"));
            });
        }
    }
};

class RecordingDelegate : public CAAnimationDelegate {
public:
    void animationDidStopFinished(CAAnimation&, bool finished) override { stops.push_back(finished); }
    std::vector<bool> stops;
};

TEST_F(AnimationTest, ABlockShowsTheChangeOverItsDurationAndReportsWhenDone)
{
    auto panel = std::make_shared<UIView>(CGRectMake(0, 0, 320, 480));
    auto overlay = std::make_shared<UIView>(CGRectMake(0, 0, 480, 480));
    panel->setTransform(CGAffineTransformMakeTranslation(0, -480));
    overlay->setAlpha(0);

    begin("Slide In", 0.35, true);
    panel->setTransform(CGAffineTransformIdentity);
    overlay->setAlpha(0.6);
    UIView::commitAnimations();

    // The model changes at once; what is shown starts where it was.
    EXPECT_TRUE(CGAffineTransformIsIdentity(panel->transform()));
    EXPECT_DOUBLE_EQ(overlay->alpha(), 0.6);
    EXPECT_DOUBLE_EQ(panel->presentationTransform().ty, -480);
    EXPECT_DOUBLE_EQ(overlay->presentationAlpha(), 0);

    step(0.175);  // half the time is half the way (ease in and out is symmetric)
    EXPECT_NEAR(panel->presentationTransform().ty, -240, 1e-6);
    EXPECT_NEAR(overlay->presentationAlpha(), 0.3, 1e-6);
    step(0.0875);  // the curve runs ahead of linear after the middle
    EXPECT_GT(panel->presentationTransform().ty, -120);
    EXPECT_TRUE(stops.empty());

    step(0.0875);
    EXPECT_EQ(stops, (std::vector<std::string>{"Slide In:finished"}));
    EXPECT_TRUE(CGAffineTransformIsIdentity(panel->presentationTransform()));
    EXPECT_TRUE(panel->layer()->animationKeys().empty());

    // Without an animation delegate the did-stop callback is not called.
    begin("Fade", 0.2, false);
    UIView::setAnimationDidStopSelector([this] { stops.push_back("unexpected"); });
    overlay->setAlpha(0);
    UIView::commitAnimations();
    step(0.3);
    EXPECT_EQ(stops.size(), 1u);
}

TEST_F(AnimationTest, ARequestDuringAnAnimationStartsFromWhatIsShownAndInterruptsTheFirst)
{
    auto panel = std::make_shared<UIView>(CGRectMake(0, 0, 320, 480));
    panel->setTransform(CGAffineTransformMakeTranslation(0, -480));
    begin("Slide In", 0.35, true);
    panel->setTransform(CGAffineTransformIdentity);
    UIView::commitAnimations();
    step(0.175);

    begin("Slide Out", 0.35, true);
    panel->setTransform(CGAffineTransformMakeTranslation(0, -480));
    UIView::commitAnimations();
    EXPECT_TRUE(stops.empty());  // never reported from inside the call that interrupted it
    EXPECT_NEAR(panel->presentationTransform().ty, -240, 1e-6);
    drain();
    EXPECT_EQ(stops, (std::vector<std::string>{"Slide In:interrupted"}));

    step(0.175);
    EXPECT_NEAR(panel->presentationTransform().ty, -360, 1e-6);  // halfway from -240 to -480
    step(0.175);
    EXPECT_EQ(stops, (std::vector<std::string>{"Slide In:interrupted", "Slide Out:finished"}));
    EXPECT_DOUBLE_EQ(panel->presentationTransform().ty, -480);
}

TEST_F(AnimationTest, FramesTurnsDefaultsDelaysAndNesting)
{
    auto view = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));

    // The default duration (0.2 s) with a linear curve: a quarter of the time is a quarter of the way.
    UIView::beginAnimationsContext("Move", nullptr);
    UIView::setAnimationCurve(UIViewAnimationCurveLinear);
    view->setFrame(CGRectMake(100, 0, 200, 100));
    UIView::commitAnimations();
    EXPECT_EQ(view->frame(), CGRectMake(100, 0, 200, 100));
    step(0.05);
    const CGRect shown = view->presentationFrame();
    EXPECT_NEAR(shown.size.width, 125, 1e-6);
    EXPECT_NEAR(CGRectGetMidX(shown), 50 + 0.25 * 150, 1e-6);
    step(0.15);
    EXPECT_EQ(view->presentationFrame(), CGRectMake(100, 0, 200, 100));

    // A turn of 135° passes through 67.5° at half time, without shrinking.
    UIView::beginAnimationsContext("Rotate Button", nullptr);
    view->setTransform(CGAffineTransformMakeRotation(2.3561945));
    UIView::commitAnimations();
    step(UIViewAnimationGroup::kDefaultDuration / 2);
    const CGAffineTransform half = view->presentationTransform();
    EXPECT_NEAR(std::atan2(half.b, half.a), 2.3561945 / 2, 1e-6);
    EXPECT_NEAR(std::hypot(half.a, half.b), 1, 1e-9);
    step(1);

    // A delay keeps the old value shown until the animation starts.
    begin("Late", 0.1, true);
    UIView::setAnimationDelay(0.1);
    view->setAlpha(0);
    UIView::commitAnimations();
    step(0.05);
    EXPECT_DOUBLE_EQ(view->presentationAlpha(), 1);
    step(0.1);
    EXPECT_GT(view->presentationAlpha(), 0);
    EXPECT_LT(view->presentationAlpha(), 1);
    step(0.05);
    EXPECT_EQ(stops, (std::vector<std::string>{"Late:finished"}));

    // A nested block takes the outer block's duration and runs on its own commit.
    UIView::beginAnimationsContext("Outer", nullptr);
    UIView::setAnimationDuration(1);
    UIView::beginAnimationsContext("Inner", nullptr);
    view->setCenter(CGPointMake(0, 0));
    UIView::commitAnimations();
    UIView::commitAnimations();
    step(0.5);
    EXPECT_NEAR(view->presentationCenter().x, 100, 1e-6);  // halfway from 200 to 0
    step(0.5);

    // With animations disabled, changes show at once; a block that changed nothing still reports.
    UIView::setAnimationsEnabled(false);
    begin("Off", 1, true);
    view->setAlpha(1);
    UIView::commitAnimations();
    UIView::setAnimationsEnabled(true);
    EXPECT_DOUBLE_EQ(view->presentationAlpha(), 1);
    begin("Nothing", 1, true);
    UIView::commitAnimations();
    drain();
    EXPECT_EQ(stops, (std::vector<std::string>{"Late:finished", "Nothing:finished"}));
}

TEST_F(AnimationTest, TheRendererDrawsThePresentationState)
{
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 100, 20));
    root->setBackgroundColor(UIColor::whiteColor());
    auto box = std::make_shared<UIView>(CGRectMake(0, 0, 20, 20));
    box->setBackgroundColor(UIColor::redColor());
    root->addSubview(box);
    UIView::beginAnimationsContext("Slide", nullptr);
    UIView::setAnimationDuration(1);
    UIView::setAnimationCurve(UIViewAnimationCurveLinear);
    box->setCenter(CGPointMake(90, 10));
    box->setAlpha(0.5);
    UIView::commitAnimations();
    step(0.5);  // at (50, 10), alpha 0.75
    auto picture = UIRenderer::renderView(*root, 1);
    EXPECT_EQ(picture->pixelAt(5, 10).green, 255);     // left where it began
    EXPECT_NEAR(picture->pixelAt(50, 10).green, 64, 2);  // red at three quarters over white
    EXPECT_EQ(picture->pixelAt(95, 10).green, 255);    // not yet where it goes
}

TEST_F(AnimationTest, TransitionsRunFromStartToEndProgressHoldAndReportOnce)
{
    auto holder = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
    auto delegate = std::make_shared<RecordingDelegate>();
    auto curl = CATransition::animation();
    curl->setDelegate(delegate);
    curl->setDuration(0.35);
    curl->setType(kCATransitionPageCurl);
    curl->setFillMode(kCAFillModeForwards);
    curl->setEndProgress(0.78);
    curl->setRemovedOnCompletion(false);
    holder->layer()->addAnimationForKey(curl, "pageCurlAnimation");

    double progress = -1;
    const double now0 = Clock::current()->monotonicTime();
    EXPECT_EQ(holder->layer()->activeTransition(now0, &progress), curl);
    EXPECT_DOUBLE_EQ(progress, 0);
    step(0.175);
    holder->layer()->activeTransition(Clock::current()->monotonicTime(), &progress);
    EXPECT_NEAR(progress, 0.39, 1e-9);  // linear: no timing function
    step(0.175);
    EXPECT_EQ(delegate->stops, (std::vector<bool>{true}));
    step(5);
    EXPECT_EQ(delegate->stops.size(), 1u);  // reported once although it stays
    holder->layer()->activeTransition(Clock::current()->monotonicTime(), &progress);
    EXPECT_DOUBLE_EQ(progress, 0.78);      // held by the forwards fill
    EXPECT_EQ(holder->layer()->animationKeys(), (std::vector<std::string>{"pageCurlAnimation"}));

    // The uncurl replaces it under the same key; it shows nothing once over (backwards fill only).
    auto uncurl = CATransition::animation();
    uncurl->setDelegate(delegate);
    uncurl->setDuration(0.35);
    uncurl->setType(kCATransitionPageUnCurl);
    uncurl->setFillMode(kCAFillModeBackwards);
    uncurl->setStartProgress(0.22);
    uncurl->setRemovedOnCompletion(false);
    holder->layer()->addAnimationForKey(uncurl, "pageCurlAnimation");
    EXPECT_EQ(holder->layer()->animationForKey("pageCurlAnimation"), uncurl);
    holder->layer()->activeTransition(Clock::current()->monotonicTime(), &progress);
    EXPECT_DOUBLE_EQ(progress, 0.22);
    drain();
    EXPECT_EQ(delegate->stops, (std::vector<bool>{true}));  // the held curl was already reported
    step(0.35);
    EXPECT_EQ(delegate->stops, (std::vector<bool>{true, true}));
    EXPECT_EQ(holder->layer()->activeTransition(Clock::current()->monotonicTime(), nullptr), nullptr);

    // Removing a running animation reports it unfinished; the default removes a finished one.
    auto fade = CATransition::animation();
    fade->setDelegate(delegate);
    holder->layer()->addAnimationForKey(fade, "");
    holder->layer()->removeAnimationForKey("pageCurlAnimation");
    holder->layer()->removeAllAnimations();
    drain();
    EXPECT_EQ(delegate->stops, (std::vector<bool>{true, true, false}));
    auto quick = CATransition::animation();
    quick->setDelegate(delegate);
    holder->layer()->addAnimationForKey(quick, "quick");
    step(CAAnimation::kDefaultDuration);
    EXPECT_TRUE(holder->layer()->animationKeys().empty());
    EXPECT_EQ(delegate->stops.back(), true);
}

TEST_F(AnimationTest, CommittedTreeUndoesAndRedoesTheChangesOfThisPass)
{
    auto root = std::make_shared<UIView>();
    auto a = std::make_shared<UIView>(), b = std::make_shared<UIView>(), c = std::make_shared<UIView>();
    root->addSubview(a);
    root->addSubview(b);
    drain();  // the main loop's pass ends: committed
    EXPECT_EQ(CATransaction::pendingChangeCount(), 0u);

    root->addSubview(c);
    auto onlyInTree = std::make_shared<UIView>();
    c->addSubview(onlyInTree);
    std::weak_ptr<UIView> weakOnlyInTree = onlyInTree;
    onlyInTree.reset();  // the tree holds the only reference
    a->removeFromSuperview();
    root->bringSubviewToFront(b.get());
    c->setHidden(true);
    const auto now = root->subviews();
    CATransaction::withCommittedTree([&] {
        ASSERT_EQ(root->subviews().size(), 2u);
        EXPECT_EQ(root->subviews()[0], a);
        EXPECT_EQ(root->subviews()[1], b);
        EXPECT_EQ(a->superview(), root.get());
        EXPECT_EQ(c->superview(), nullptr);
        EXPECT_FALSE(c->isHidden());
    });
    EXPECT_EQ(root->subviews(), now);
    ASSERT_FALSE(weakOnlyInTree.expired());
    EXPECT_EQ(c->subviews().front(), weakOnlyInTree.lock());
    EXPECT_EQ(a->superview(), nullptr);
    EXPECT_TRUE(c->isHidden());
    drain();
    EXPECT_EQ(CATransaction::pendingChangeCount(), 0u);
}

TEST_F(AnimationTest, APageCurlUncoversTheNewContentBeneathTheOldPage)
{
    auto holder = std::make_shared<UIView>(CGRectMake(0, 0, 320, 381));
    holder->setClipsToBounds(true);
    holder->setBackgroundColor(UIColor::whiteColor());
    auto list = std::make_shared<UIView>(CGRectMake(0, 0, 320, 381));
    list->setBackgroundColor(UIColor::redColor());
    holder->addSubview(list);
    drain();

    // The bar goes on top in this pass; the curl pictures the holder as it was (the red list).
    auto bar = std::make_shared<UIView>(CGRectMake(0, 0, 320, 381));
    bar->setBackgroundColor(UIColor::blueColor());
    holder->addSubview(bar);
    auto curl = CATransition::animation();
    curl->setDuration(0.35);
    curl->setType(kCATransitionPageCurl);
    curl->setFillMode(kCAFillModeForwards);
    curl->setEndProgress(0.78);
    curl->setRemovedOnCompletion(false);
    holder->layer()->addAnimationForKey(curl, "pageCurlAnimation");

    auto picture = UIRenderer::renderView(*holder, 1);
    EXPECT_EQ(picture->pixelAt(160, 370).red, 255);  // at the start the old page covers everything
    EXPECT_EQ(picture->pixelAt(160, 370).blue, 0);

    step(0.35);  // curled back 78 %
    picture = UIRenderer::renderView(*holder, 1);
    const UIImage::Pixel lower = picture->pixelAt(160, 300);
    EXPECT_GT(lower.blue, 180);  // the bar shows beneath
    EXPECT_LT(lower.red, 60);
    const UIImage::Pixel upper = picture->pixelAt(20, 20);
    EXPECT_LT(upper.blue, 200);  // the top is still paper: page or its folded-back flap
    EXPECT_GT(upper.red, 150);

    // The uncurl lays the new content (without the bar) down over the old one.
    bar->removeFromSuperview();
    auto uncurl = CATransition::animation();
    uncurl->setDuration(0.35);
    uncurl->setType(kCATransitionPageUnCurl);
    uncurl->setFillMode(kCAFillModeBackwards);
    uncurl->setStartProgress(0.22);
    uncurl->setRemovedOnCompletion(false);
    holder->layer()->addAnimationForKey(uncurl, "pageCurlAnimation");
    picture = UIRenderer::renderView(*holder, 1);
    EXPECT_GT(picture->pixelAt(160, 300).blue, 180);  // the old picture (with the bar) still beneath
    step(0.35);
    picture = UIRenderer::renderView(*holder, 1);
    EXPECT_EQ(picture->pixelAt(160, 300).red, 255);
    EXPECT_EQ(picture->pixelAt(160, 300).blue, 0);
}

} // namespace

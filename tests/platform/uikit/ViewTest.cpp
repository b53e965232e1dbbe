#include "UIScreen.h"
#include "UITouchRouter.h"
#include "UIView.h"
#include "UIWindow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// A view that lays out a child in setFrame, as the product's views do, and counts layout passes.
class FramedView : public UIView {
public:
    explicit FramedView(CGRect frame) : UIView(frame), child(std::make_shared<UIView>())
    {
        addSubview(child);
        setFrame(frame);
    }
    void setFrame(CGRect frame) override
    {
        UIView::setFrame(frame);
        child->setFrame(CGRectMake(0, frame.size.height - 10, frame.size.width, 10));
    }
    void layoutSubviews() override { ++layouts; }

    std::shared_ptr<UIView> child;
    int layouts = 0;
};

// Records the touches it receives as "<name>:<phase>@x,y" in its own coordinates.
class RecordingView : public UIView {
public:
    RecordingView(std::string name, CGRect frame, std::vector<std::string>* log)
        : UIView(frame), name_(std::move(name)), log_(log)
    {
    }
    void touchesBeganWithEvent(const UITouchSet& t, UIEvent*) override { record("began", t); }
    void touchesMovedWithEvent(const UITouchSet& t, UIEvent*) override { record("moved", t); }
    void touchesEndedWithEvent(const UITouchSet& t, UIEvent*) override { record("ended", t); }
    void touchesCancelledWithEvent(const UITouchSet& t, UIEvent*) override { record("cancelled", t); }
    UIView* _exclusiveTouchView() override { return letsEverythingThrough ? nullptr : UIView::_exclusiveTouchView(); }

    bool letsEverythingThrough = false;

private:
    void record(const char* phase, const UITouchSet& touches)
    {
        const CGPoint p = touches.front()->locationInView(this);
        log_->push_back(name_ + ":" + phase + "@" + std::to_string(static_cast<int>(std::lround(p.x))) + "," +
                        std::to_string(static_cast<int>(std::lround(p.y))));
    }
    std::string name_;
    std::vector<std::string>* log_;
};

std::vector<UIView*> raw(const UIView& view)
{
    std::vector<UIView*> views;
    for (const auto& v : view.subviews()) {
        views.push_back(v.get());
    }
    return views;
}

TEST(View, SubviewsKeepTheirOrderThroughInsertMoveAndRemove)
{
    auto root = std::make_shared<UIView>();
    auto a = std::make_shared<UIView>(), b = std::make_shared<UIView>(), c = std::make_shared<UIView>();
    root->addSubview(a);
    root->addSubview(b);
    root->insertSubviewAtIndex(c, 0);
    EXPECT_EQ(raw(*root), (std::vector<UIView*>{c.get(), a.get(), b.get()}));
    root->insertSubviewAboveSubview(c, b.get());
    EXPECT_EQ(raw(*root), (std::vector<UIView*>{a.get(), b.get(), c.get()}));
    root->insertSubviewBelowSubview(c, a.get());
    EXPECT_EQ(raw(*root), (std::vector<UIView*>{c.get(), a.get(), b.get()}));
    root->bringSubviewToFront(c.get());
    EXPECT_EQ(raw(*root), (std::vector<UIView*>{a.get(), b.get(), c.get()}));
    root->sendSubviewToBack(b.get());
    EXPECT_EQ(raw(*root), (std::vector<UIView*>{b.get(), a.get(), c.get()}));
    EXPECT_EQ(a->superview(), root.get());

    // Adding to another view moves it; a cycle is refused.
    auto other = std::make_shared<UIView>();
    other->addSubview(a);
    EXPECT_EQ(raw(*root), (std::vector<UIView*>{b.get(), c.get()}));
    EXPECT_EQ(a->superview(), other.get());
    a->addSubview(other);
    EXPECT_EQ(other->superview(), nullptr);
    EXPECT_TRUE(a->subviews().empty());

    // The superview retains; removing drops that reference, and a destroyed superview leaves no dangling
    // back pointer.
    std::weak_ptr<UIView> weakB = b;
    b.reset();
    ASSERT_FALSE(weakB.expired());
    weakB.lock()->removeFromSuperview();
    EXPECT_TRUE(weakB.expired());
    root.reset();
    EXPECT_EQ(c->superview(), nullptr);

    c->setTag(7);
    other->addSubview(c);
    EXPECT_EQ(other->viewWithTag(7), c.get());
    EXPECT_EQ(other->viewWithTag(8), nullptr);
}

TEST(View, SetFrameLaysOutAndSizeChangesAskForLayout)
{
    auto view = std::make_shared<FramedView>(CGRectMake(0, 0, 100, 50));
    EXPECT_EQ(view->child->frame(), CGRectMake(0, 40, 100, 10));
    view->setFrame(CGRectMake(5, 5, 200, 80));
    EXPECT_EQ(view->child->frame(), CGRectMake(0, 70, 200, 10));

    view->layoutIfNeeded();
    EXPECT_EQ(view->layouts, 1);
    view->layoutIfNeeded();
    EXPECT_EQ(view->layouts, 1);  // nothing changed
    view->setCenter({50, 50});
    view->layoutIfNeeded();
    EXPECT_EQ(view->layouts, 1);  // moving does not change the size
    view->setFrame(CGRectMake(0, 0, 10, 10));
    view->layoutIfNeeded();
    EXPECT_EQ(view->layouts, 2);
    view->setNeedsLayout();
    view->layoutIfNeeded();
    EXPECT_EQ(view->layouts, 3);
}

TEST(View, ConvertsPointsAndRectsThroughBoundsOriginsAndTransforms)
{
    auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    auto outer = std::make_shared<UIView>(CGRectMake(10, 20, 200, 200));
    auto inner = std::make_shared<UIView>(CGRectMake(5, 5, 50, 50));
    window->addSubview(outer);
    outer->addSubview(inner);

    EXPECT_EQ(inner->convertPointToView({0, 0}, nullptr), CGPointMake(15, 25));
    EXPECT_EQ(inner->convertPointToView({0, 0}, window.get()), CGPointMake(15, 25));
    EXPECT_EQ(window->convertPointToView({15, 25}, inner.get()), CGPointMake(0, 0));
    EXPECT_EQ(inner->convertPointFromView({15, 25}, nullptr), CGPointMake(0, 0));

    // Scrolling the outer view (its bounds origin) moves what it shows.
    outer->setBounds(CGRectMake(0, 100, 200, 200));
    EXPECT_EQ(inner->convertPointToView({0, 0}, window.get()), CGPointMake(15, -75));

    // A half turn of the outer view about its centre (110, 120 in the window).
    outer->setBounds(CGRectMake(0, 0, 200, 200));
    outer->setTransform(CGAffineTransformMakeRotation(M_PI));
    const CGPoint p = inner->convertPointToView({0, 0}, window.get());
    EXPECT_NEAR(p.x, 205, 1e-9);
    EXPECT_NEAR(p.y, 215, 1e-9);
    const CGRect r = inner->convertRectToView(inner->bounds(), window.get());
    EXPECT_NEAR(r.origin.x, 155, 1e-9);
    EXPECT_NEAR(r.size.width, 50, 1e-9);
    const CGRect back = inner->convertRectFromView(r, window.get());
    EXPECT_NEAR(back.origin.x, 0, 1e-9);
    EXPECT_NEAR(back.origin.y, 0, 1e-9);

    // Two windows convert through the screen.
    auto second = std::make_shared<UIWindow>(CGRectMake(100, 100, 50, 50));
    EXPECT_EQ(second->convertPointToView({0, 0}, window.get()), CGPointMake(100, 100));
    EXPECT_EQ(window.get(), inner->window());
    EXPECT_EQ(nullptr, std::make_shared<UIView>()->window());
}

TEST(View, HitTestingFindsTheFrontmostInteractiveViewAndSkipsHiddenOnes)
{
    auto root = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
    auto back = std::make_shared<UIView>(CGRectMake(0, 0, 60, 60));
    auto front = std::make_shared<UIView>(CGRectMake(40, 40, 60, 60));
    auto nested = std::make_shared<UIView>(CGRectMake(10, 10, 10, 10));
    root->addSubview(back);
    root->addSubview(front);
    front->addSubview(nested);

    EXPECT_EQ(root->hitTestWithEvent({10, 10}, nullptr), back.get());
    EXPECT_EQ(root->hitTestWithEvent({50, 50}, nullptr), nested.get());  // overlap: the front view wins
    EXPECT_EQ(root->hitTestWithEvent({45, 45}, nullptr), front.get());
    EXPECT_EQ(root->hitTestWithEvent({100, 50}, nullptr), nullptr);      // outside (half-open edge)

    front->setUserInteractionEnabled(false);
    EXPECT_EQ(root->hitTestWithEvent({50, 50}, nullptr), back.get());
    front->setUserInteractionEnabled(true);
    front->setHidden(true);
    EXPECT_EQ(root->hitTestWithEvent({50, 50}, nullptr), back.get());
    front->setHidden(false);
    front->setAlpha(0.005);
    EXPECT_EQ(root->hitTestWithEvent({50, 50}, nullptr), back.get());
    front->setAlpha(1);

    // A subview outside its superview's bounds is not reached (the superview's pointInside fails first).
    auto outside = std::make_shared<UIView>(CGRectMake(120, 0, 10, 10));
    root->addSubview(outside);
    EXPECT_EQ(root->hitTestWithEvent({125, 5}, nullptr), nullptr);

    // A transformed view is hit where it is drawn.
    front->setTransform(CGAffineTransformMakeTranslation(-40, 0));
    EXPECT_EQ(root->hitTestWithEvent({15, 55}, nullptr), nested.get());
}

TEST(View, TouchesGoToTheViewTheyBeganOnThroughEveryPhase)
{
    std::vector<std::string> log;
    auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    window->makeKeyAndVisible();
    auto panel = std::make_shared<RecordingView>("panel", CGRectMake(0, 0, 320, 240), &log);
    auto plain = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));  // handles nothing: passes touches on
    auto button = std::make_shared<RecordingView>("button", CGRectMake(200, 100, 50, 50), &log);
    window->addSubview(panel);
    panel->addSubview(plain);
    panel->addSubview(button);

    UITouchRouter router;
    const int t = router.beginTouch({210, 110});
    router.moveTouch(t, {10, 300});  // leaves the button, still delivered to it
    router.endTouch(t, {12, 302});
    EXPECT_EQ(log, (std::vector<std::string>{"button:began@10,10", "button:moved@-190,200", "button:ended@-188,202"}));
    EXPECT_EQ(router.activeTouchCount(), 0u);

    log.clear();
    const int u = router.beginTouch({50, 50});  // on the plain view: its superview handles it
    router.cancelTouch(u);
    EXPECT_EQ(log, (std::vector<std::string>{"panel:began@50,50", "panel:cancelled@50,50"}));

    log.clear();
    EXPECT_GE(router.beginTouch({50, 400}), 0);  // the window takes it but handles nothing
    EXPECT_TRUE(log.empty());
    router.cancelAllTouches();

    // A higher window takes touches first; hiding it lets them through to the lower one.
    std::vector<std::string> topLog;
    auto top = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    auto cover = std::make_shared<RecordingView>("cover", CGRectMake(0, 0, 320, 480), &topLog);
    top->addSubview(cover);
    top->setWindowLevel(990);
    top->setHidden(false);
    EXPECT_TRUE(router.tap({210, 110}));
    EXPECT_EQ(topLog, (std::vector<std::string>{"cover:began@210,110", "cover:ended@210,110"}));
    top->setHidden(true);
    EXPECT_TRUE(router.tap({210, 110}));
    EXPECT_EQ(log.size(), 2u);
}

TEST(View, AnExclusiveTouchBlocksNewTouchesUnlessTheViewAboveLetsThemThrough)
{
    std::vector<std::string> log;
    auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    window->setHidden(false);
    auto solo = std::make_shared<RecordingView>("solo", CGRectMake(0, 0, 100, 100), &log);
    solo->setExclusiveTouch(true);
    auto panel = std::make_shared<RecordingView>("panel", CGRectMake(0, 200, 320, 200), &log);
    auto inPanel = std::make_shared<RecordingView>("inPanel", CGRectMake(0, 0, 50, 50), &log);
    window->addSubview(solo);
    window->addSubview(panel);
    panel->addSubview(inPanel);

    UITouchRouter router;
    const int first = router.beginTouch({10, 10});
    ASSERT_GE(first, 0);
    EXPECT_EQ(window->_exclusiveTouchView(), solo.get());
    EXPECT_EQ(router.beginTouch({10, 210}), -1);  // blocked while the exclusive touch lasts

    panel->letsEverythingThrough = true;  // the panel's override answers null for its subtree
    EXPECT_GE(router.beginTouch({10, 210}), 0);
    router.endTouch(first, {10, 10});
    EXPECT_EQ(window->_exclusiveTouchView(), nullptr);
    panel->letsEverythingThrough = false;
    router.cancelAllTouches();
    EXPECT_GE(router.beginTouch({10, 210}), 0);
    router.cancelAllTouches();
    EXPECT_EQ(log.front(), "solo:began@10,10");
}

TEST(View, VisibleWindowsStackLowestLevelFirstAndLastShownOnTop)
{
    auto screen = UIScreen::mainScreen();
    auto alert = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    auto overlay = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    auto shell = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    auto hidden = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    EXPECT_TRUE(hidden->isHidden());  // windows start hidden
    alert->setWindowLevel(UIWindowLevelAlert);
    overlay->setWindowLevel(990);
    alert->setHidden(false);
    overlay->setHidden(false);
    shell->makeKeyAndVisible();
    EXPECT_EQ(screen->visibleWindows(), (std::vector<UIWindow*>{shell.get(), overlay.get(), alert.get()}));
    EXPECT_TRUE(shell->isKeyWindow());
    EXPECT_EQ(UIWindow::keyWindow(), shell.get());

    auto second = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    second->setWindowLevel(990);
    second->setHidden(false);
    EXPECT_EQ(screen->visibleWindows()[2], second.get());  // shown last among level 990
    overlay->setHidden(true);
    overlay->setHidden(false);
    EXPECT_EQ(screen->visibleWindows()[2], overlay.get());
    shell.reset();
    EXPECT_EQ(UIWindow::keyWindow(), nullptr);
    EXPECT_EQ(screen->visibleWindows().size(), 3u);

    EXPECT_TRUE(UIScreen::instancesRespondToSelector("scale"));
    EXPECT_FALSE(UIScreen::instancesRespondToSelector("brightness"));
    EXPECT_EQ(screen->bounds(), CGRectMake(0, 0, 320, 480));
    EXPECT_FALSE(screen->setScale(3));
    EXPECT_EQ(screen->scale(), 1);
    EXPECT_TRUE(screen->setScale(2));
    EXPECT_EQ(screen->scale(), 2);
    screen->setScale(1);
}

} // namespace

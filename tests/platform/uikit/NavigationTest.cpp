#include "NSRunLoop.h"
#include "SteppedClockScope.h"
#include "UIImage.h"
#include "UINavigationController.h"
#include "UIRenderer.h"
#include "UIScreen.h"
#include "UITouchRouter.h"
#include "UIWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A page that writes down what its navigation controller tells it.
class RecordingPage : public UIViewController {
public:
    RecordingPage(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log)
    {
        setTitle(name_);
    }
    void viewDidLoad() override { log_.push_back(name_ + " didLoad"); }
    void viewDidUnload() override { log_.push_back(name_ + " didUnload"); }
    void viewWillAppear(bool) override { log_.push_back(name_ + " willAppear"); }
    void viewDidAppear(bool) override { log_.push_back(name_ + " didAppear"); }
    void viewWillDisappear(bool) override { log_.push_back(name_ + " willDisappear"); }
    void viewDidDisappear(bool) override { log_.push_back(name_ + " didDisappear"); }

private:
    std::string name_;
    std::vector<std::string>& log_;
};

class NavigationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = std::make_shared<RecordingPage>("Vantle", log);
        navigation = std::make_shared<UINavigationController>(root);
        window = std::make_shared<UIWindow>(UIScreen::mainScreen()->applicationFrame());
        window->addSubview(navigation->view());
        window->makeKeyAndVisible();
        navigation->viewWillAppear(false);
        navigation->viewDidAppear(false);
        log.clear();
    }
    void TearDown() override
    {
        step(1);
        window->setHidden(true);
    }

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
    std::shared_ptr<RecordingPage> page(const std::string& name) { return std::make_shared<RecordingPage>(name, log); }
    // The screen point in the middle of a view.
    static CGPoint middleOf(const UIView& view)
    {
        const CGRect inWindow = view.convertRectToView(view.bounds(), nullptr);
        const CGRect frame = view.window()->frame();
        return CGPointMake(frame.origin.x + CGRectGetMidX(inWindow), frame.origin.y + CGRectGetMidY(inWindow));
    }

    SteppedClockScope time{500.0};
    std::vector<std::string> log;
    std::shared_ptr<RecordingPage> root;
    std::shared_ptr<UINavigationController> navigation;
    std::shared_ptr<UIWindow> window;
    UITouchRouter touches;
};

TEST_F(NavigationTest, PushAndPopSlideOverTheirDurationWithAppearanceCallsAtBothEnds)
{
    const CGRect content = CGRectMake(0, 44, 320, 416);
    EXPECT_TRUE(CGRectEqualToRect(root->view()->frame(), content));

    auto editor = page("Edit");
    navigation->pushViewControllerAnimated(editor, true);
    EXPECT_EQ(navigation->viewControllers().size(), 2u);
    EXPECT_EQ(navigation->topViewController(), editor.get());
    EXPECT_EQ(editor->navigationController(), navigation.get());
    EXPECT_EQ(navigation->navigationBar()->topItem()->title(), "Edit");
    ASSERT_NE(navigation->navigationBar()->backButton(), nullptr);
    EXPECT_EQ(navigation->navigationBar()->backButton()->currentTitle(), "Vantle");
    EXPECT_EQ(log, (std::vector<std::string>{"Edit didLoad", "Edit willAppear", "Vantle willDisappear"}));
    EXPECT_TRUE(navigation->isInTransition());

    // The page the loader made 460 tall gets the area below the bar; half-way it is half-way in.
    EXPECT_TRUE(CGRectEqualToRect(editor->view()->frame(), content));
    EXPECT_NEAR(editor->view()->presentationFrame().origin.x, 320, 1e-6);
    step(UINavigationController::kTransitionDuration / 2);
    EXPECT_NEAR(editor->view()->presentationFrame().origin.x, 160, 1e-6);
    EXPECT_NEAR(root->view()->presentationFrame().origin.x, -160, 1e-6);
    EXPECT_EQ(log.size(), 3u);
    step(UINavigationController::kTransitionDuration / 2);
    EXPECT_FALSE(navigation->isInTransition());
    EXPECT_EQ(root->view()->superview(), nullptr);
    EXPECT_EQ(editor->view()->superview(), navigation->view().get());
    EXPECT_EQ(log, (std::vector<std::string>{"Edit didLoad", "Edit willAppear", "Vantle willDisappear",
                                              "Vantle didDisappear", "Edit didAppear"}));

    log.clear();
    EXPECT_EQ(navigation->popViewControllerAnimated(true), editor);
    EXPECT_EQ(editor->navigationController(), nullptr);
    EXPECT_EQ(navigation->navigationBar()->topItem()->title(), "Vantle");
    EXPECT_EQ(navigation->navigationBar()->backButton(), nullptr);
    step(UINavigationController::kTransitionDuration / 2);
    EXPECT_NEAR(root->view()->presentationFrame().origin.x, -160, 1e-6);
    EXPECT_NEAR(editor->view()->presentationFrame().origin.x, 160, 1e-6);
    step(UINavigationController::kTransitionDuration / 2);
    EXPECT_EQ(editor->view()->superview(), nullptr);
    EXPECT_TRUE(CGRectEqualToRect(root->view()->frame(), content));
    EXPECT_EQ(log, (std::vector<std::string>{"Vantle willAppear", "Edit willDisappear", "Edit didDisappear",
                                              "Vantle didAppear"}));

    // Without animation the change is complete at once.
    log.clear();
    navigation->pushViewControllerAnimated(editor, false);
    EXPECT_FALSE(navigation->isInTransition());
    EXPECT_EQ(root->view()->superview(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"Edit willAppear", "Vantle willDisappear", "Vantle didDisappear",
                                              "Edit didAppear"}));
}

TEST_F(NavigationTest, BarButtonsSendTheirActionsAndTheBackButtonPopsWhenTapped)
{
    int adds = 0;
    int dones = 0;
    root->navigationItem()->setRightBarButtonItem(
        UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemAdd, this, [&adds] { ++adds; }));
    window->layoutIfNeeded();
    UINavigationButton* add = navigation->navigationBar()->rightButton();
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->kind(), UINavigationButton::Kind::Add);
    EXPECT_GT(add->frame().origin.x, 250);  // on the right of the bar
    EXPECT_TRUE(touches.tap(middleOf(*add)));
    EXPECT_EQ(adds, 1);

    auto editor = page("New");
    editor->navigationItem()->setRightBarButtonItem(
        UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemDone, this, [&dones] { ++dones; }));
    navigation->pushViewControllerAnimated(editor, true);
    step(UINavigationController::kTransitionDuration);
    window->layoutIfNeeded();
    UINavigationButton* done = navigation->navigationBar()->rightButton();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->kind(), UINavigationButton::Kind::Done);
    EXPECT_EQ(done->currentTitle(), "Done");
    EXPECT_TRUE(touches.tap(middleOf(*done)));
    EXPECT_EQ(dones, 1);
    EXPECT_EQ(adds, 1);

    // A disabled item sends nothing; a changed title shows at once.
    done->item()->setEnabled(false);
    done->item()->sendAction();
    EXPECT_EQ(dones, 1);
    editor->setTitle("Edit");
    EXPECT_EQ(navigation->navigationBar()->titleLabel()->text(), "Edit");

    UINavigationButton* back = navigation->navigationBar()->backButton();
    ASSERT_NE(back, nullptr);
    EXPECT_LT(back->frame().origin.x, 10);
    EXPECT_TRUE(touches.tap(middleOf(*back)));
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
    step(UINavigationController::kTransitionDuration);
    EXPECT_EQ(editor->view()->superview(), nullptr);
    window->layoutIfNeeded();
    ASSERT_NE(navigation->navigationBar()->rightButton(), nullptr);
    EXPECT_EQ(navigation->navigationBar()->rightButton()->kind(), UINavigationButton::Kind::Add);
}

TEST_F(NavigationTest, ARequestDuringASlideFinishesItFirstAndBadRequestsAreRefused)
{
    auto picker = page("Applications");
    auto editor = page("Edit");
    navigation->pushViewControllerAnimated(editor, true);
    step(0.1);
    navigation->pushViewControllerAnimated(picker, true);  // the editor's slide ends now
    EXPECT_EQ(log, (std::vector<std::string>{"Edit didLoad", "Edit willAppear", "Vantle willDisappear",
                                              "Vantle didDisappear", "Edit didAppear", "Applications didLoad",
                                              "Applications willAppear", "Edit willDisappear"}));
    EXPECT_EQ(root->view()->superview(), nullptr);
    step(1);
    EXPECT_EQ(editor->view()->superview(), nullptr);
    EXPECT_EQ(std::count(log.begin(), log.end(), "Edit didAppear"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "Applications didAppear"), 1);

    // On the stack already, none, or the controller itself: nothing happens.
    log.clear();
    navigation->pushViewControllerAnimated(editor, true);
    navigation->pushViewControllerAnimated(nullptr, true);
    navigation->pushViewControllerAnimated(navigation, true);
    EXPECT_EQ(navigation->viewControllers().size(), 3u);
    EXPECT_TRUE(log.empty());

    // A page of another stack is not taken either.
    auto other = std::make_shared<UINavigationController>(page("Other"));
    navigation->pushViewControllerAnimated(other->viewControllers().front(), false);
    EXPECT_EQ(navigation->viewControllers().size(), 3u);

    const auto popped = navigation->popToRootViewControllerAnimated(true);
    ASSERT_EQ(popped.size(), 2u);
    EXPECT_EQ(popped[0], editor);
    EXPECT_EQ(popped[1], picker);
    EXPECT_EQ(navigation->navigationBar()->items().size(), 1u);
    EXPECT_EQ(navigation->navigationBar()->backButton(), nullptr);
    step(1);
    EXPECT_EQ(picker->view()->superview(), nullptr);
    EXPECT_EQ(root->view()->superview(), navigation->view().get());
    EXPECT_EQ(navigation->popViewControllerAnimated(true), nullptr);
    EXPECT_TRUE(navigation->popToRootViewControllerAnimated(true).empty());
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
}

TEST_F(NavigationTest, StacksBuiltBeforeLoadingShowTheirTopAndHiddenPagesMayBeUnloaded)
{
    auto first = page("First");
    auto second = page("Second");
    auto unloaded = std::make_shared<UINavigationController>(first);
    unloaded->pushViewControllerAnimated(second, true);
    EXPECT_TRUE(log.empty());  // nothing loads or appears before the controller's view is wanted
    EXPECT_FALSE(second->isViewLoaded());
    unloaded->view();
    EXPECT_FALSE(first->isViewLoaded());
    ASSERT_TRUE(second->isViewLoaded());
    EXPECT_EQ(second->view()->superview(), unloaded->view().get());
    EXPECT_TRUE(CGRectEqualToRect(second->view()->frame(), CGRectMake(0, 44, 320, 416)));
    EXPECT_EQ(unloaded->navigationBar()->backButton()->currentTitle(), "First");

    // The page under the top lets its view go on a memory warning; the shown page keeps it.
    auto editor = page("Edit");
    navigation->pushViewControllerAnimated(editor, false);
    log.clear();
    root->didReceiveMemoryWarning();
    editor->didReceiveMemoryWarning();
    EXPECT_FALSE(root->isViewLoaded());
    EXPECT_TRUE(editor->isViewLoaded());
    navigation->popViewControllerAnimated(false);
    EXPECT_EQ(log, (std::vector<std::string>{"Vantle didUnload", "Vantle didLoad", "Vantle willAppear",
                                              "Edit willDisappear", "Edit didDisappear", "Vantle didAppear"}));
}

TEST_F(NavigationTest, AControllerGoneDuringASlideLeavesNothingBehind)
{
    auto editor = page("Edit");
    navigation->pushViewControllerAnimated(editor, true);
    navigation->view()->removeFromSuperview();
    navigation.reset();
    EXPECT_EQ(editor->navigationController(), nullptr);
    step(1);  // the slide's end finds no controller
    EXPECT_EQ(std::count(log.begin(), log.end(), "Edit didAppear"), 0);
}

TEST_F(NavigationTest, TheBarIsDrawnWithItsGlossTitleAndButtons)
{
    root->navigationItem()->setRightBarButtonItem(
        UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemAdd, this, [] {}));
    navigation->pushViewControllerAnimated(page("Ignored Apps"), false);
    const auto image = UIRenderer::renderView(*navigation->view(), 1);
    ASSERT_NE(image, nullptr);
    // Lighter at the top of the bar than at its bottom, both blue-grey; the page below is white.
    const UIImage::Pixel top = image->pixelAt(160, 3);
    const UIImage::Pixel bottom = image->pixelAt(160, 40);
    EXPECT_GT(top.blue, bottom.blue);
    EXPECT_GT(top.blue, top.red);
    EXPECT_EQ(image->pixelAt(160, 200), (UIImage::Pixel{255, 255, 255, 255}));
    // The title is white text in the middle; the back button is a darker shape on the left.
    int whiteInTitle = 0;
    for (int x = 100; x < 220; ++x) {
        for (int y = 10; y < 34; ++y) {
            const UIImage::Pixel p = image->pixelAt(x, y);
            whiteInTitle += p.red > 240 && p.green > 240 && p.blue > 240 ? 1 : 0;
        }
    }
    EXPECT_GT(whiteInTitle, 40);
    const UIImage::Pixel backBody = image->pixelAt(30, 12);
    EXPECT_LT(backBody.red, top.red);
    EXPECT_EQ(navigation->navigationBar()->rightButton(), nullptr);  // the new page has no button
}

} // namespace

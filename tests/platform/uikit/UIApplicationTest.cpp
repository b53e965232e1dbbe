#include "UIApplication.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(UIApplication, StatusBarImagesAreKeptOnceInOrderAndOfferedToObservers)
{
    auto& application = *UIApplication::sharedApplication();
    std::vector<std::string> seen;
    const auto token = application.statusBarObservers().add(
        [&](const UIApplication::StatusBarChange& change) { seen.push_back((change.added ? "+" : "-") + change.name); });

    application.addStatusBarImageNamed("Vantle");
    application.addStatusBarImageNamed("Alarm");
    application.addStatusBarImageNamed("Vantle");
    EXPECT_EQ(application.statusBarImageNames(), (std::vector<std::string>{"Vantle", "Alarm"}));
    EXPECT_TRUE(application.hasStatusBarImageNamed("Vantle"));

    application.removeStatusBarImageNamed("Vantle");
    application.removeStatusBarImageNamed("Missing");
    EXPECT_EQ(application.statusBarImageNames(), (std::vector<std::string>{"Alarm"}));
    EXPECT_FALSE(application.hasStatusBarImageNamed("Vantle"));

    application.statusBarObservers().remove(token);
    application.removeStatusBarImageNamed("Alarm");
    EXPECT_EQ(seen, (std::vector<std::string>{"+Vantle", "+Alarm", "+Vantle", "-Vantle", "-Missing"}));
    EXPECT_TRUE(application.statusBarImageNames().empty());
}

TEST(UIApplication, URLsGoToTheInstalledOpener)
{
    auto& application = *UIApplication::sharedApplication();
    const auto before = application.requestedURLs().size();
    const auto url = NSURL::URLWithString("http://example.com/");

    EXPECT_FALSE(application.openURL(url)) << "nothing can open a URL before the host installs an opener";
    EXPECT_FALSE(application.openURL(nullptr));

    std::vector<std::string> opened;
    application.setURLOpener([&](const NSURL& target) {
        opened.push_back(target.absoluteString());
        return target.scheme() == "http";
    });
    EXPECT_TRUE(application.openURL(url));
    EXPECT_FALSE(application.openURL(NSURL::URLWithString("tel:123")));
    application.setURLOpener(nullptr);

    EXPECT_EQ(opened, (std::vector<std::string>{"http://example.com/", "tel:123"}));
    const auto requested = application.requestedURLs();
    ASSERT_EQ(requested.size(), before + 3);
    EXPECT_EQ(requested.back(), "tel:123");
}

TEST(UIApplication, AnswersWhichSelectorsItsInstancesRespondTo)
{
    EXPECT_TRUE(UIApplication::instancesRespondToSelector("addStatusBarImageNamed:"));
    EXPECT_TRUE(UIApplication::instancesRespondToSelector("removeStatusBarImageNamed:"));
    EXPECT_TRUE(UIApplication::instancesRespondToSelector("openURL:"));
    EXPECT_FALSE(UIApplication::instancesRespondToSelector("addStatusBarImageNamed"));
    EXPECT_FALSE(UIApplication::instancesRespondToSelector("launchRocket:"));

    UIApplication::setInstancesRespondToSelector("addStatusBarImageNamed:", false);
    EXPECT_FALSE(UIApplication::instancesRespondToSelector("addStatusBarImageNamed:"));
    EXPECT_TRUE(UIApplication::instancesRespondToSelector("removeStatusBarImageNamed:"));
    UIApplication::setInstancesRespondToSelector("addStatusBarImageNamed:", true);
    EXPECT_TRUE(UIApplication::instancesRespondToSelector("addStatusBarImageNamed:"));
}

// An application group: its start, its description, and its icon asked for once.
#include "VTNotificationGroup.h"

#include "NSString.h"

#include <cairo.h>

#include <gtest/gtest.h>

TEST(NotificationGroup, StartsEmptyAndCollapsedAndDescribesItself)
{
    VTNotificationGroup group("Mail", "com.example.mail");
    EXPECT_EQ(group.count(), 0u);
    EXPECT_TRUE(group.isCollapsed());
    for (int i = 0; i < 3; ++i) {
        group.addItem(std::make_shared<VTNotification>("text", i, nullptr, false));
    }
    EXPECT_EQ(group.description(), "Group with 3 notifications of app: Mail");
}

TEST(NotificationGroup, AnIconIsAskedForOnceFoundAndAgainWhileMissing)
{
    int asked = 0;
    std::shared_ptr<UIImage> answer;
    std::vector<std::string> askedFor;
    const auto source = [&](const NSDictionary& record) {
        ++asked;
        askedFor.push_back(record.stringForKey("Bundle Identifier").value_or("-") + "/" +
                           record.stringForKey("Application").value_or("-"));
        return answer;
    };

    VTNotificationGroup group("Mail", "com.example.mail");
    EXPECT_FALSE(group.icon(source));
    EXPECT_FALSE(group.icon(source));
    EXPECT_EQ(asked, 2);
    answer = std::make_shared<UIImage>(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 2, 2), 1);
    EXPECT_EQ(group.icon(source), answer);
    EXPECT_EQ(group.icon(source), answer);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(askedFor.front(), "com.example.mail/Mail");

    VTNotificationGroup withoutIdentifier("Battery", std::nullopt);
    withoutIdentifier.icon(source);
    EXPECT_EQ(askedFor.back(), "-/-"); // an empty record
}

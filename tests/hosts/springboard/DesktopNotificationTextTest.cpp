// What a desktop notification's texts and application become on the phone, whatever the client sent.
#include "DesktopApplicationMatcher.h"
#include "DesktopNotificationText.h"
#include "TemporaryDeviceRoot.h"
#include "TextSanitizer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

TEST(DesktopNotificationText, MarkupIsReducedToItsText)
{
    struct Case {
        const char* markup;
        const char* text;
    };
    const Case cases[] = {
        {"All 212 tests passed", "All 212 tests passed"},
        {"<b>Bold</b> and <i>it</i><u>alic</u>", "Bold and italic"},
        {"<a href=\"https://example.org/?a=1&b=2\">the link</a>", "the link"},
        {"<img src=\"x.png\" alt=\"picture\"/>after", "after"},
        {"one<br>two<BR/>three", "one\ntwo\nthree"},
        {"&lt;tag&gt; &amp; &quot;q&quot; &apos;a&apos;", "<tag> & \"q\" 'a'"},
        {"&#65;&#x42;&#x1F600;", "AB\U0001F600"},
        {"&#0;&#xD800;&#x110000;", "\uFFFD\uFFFD\uFFFD"},
        {"1 < 2 && 3 > 2; &unknown; &", "1 < 2 && 3 > 2; &unknown; &"},
        {"<!-- a > b -->kept", "kept"},
        {"before <b unterminated", "before "},
        {"<<b>>", "<>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DesktopNotificationText::plainText(c.markup), c.text) << c.markup;
    }
}

TEST(DesktopNotificationText, LongOrIllFormedTextIsCutToWellFormedUTF8)
{
    EXPECT_EQ(DesktopNotificationText::truncated("short", 10), "short");
    EXPECT_EQ(DesktopNotificationText::truncated("0123456789ab", 10), "0123456\u2026");
    // "é" is two bytes: a cut never splits it.
    EXPECT_EQ(DesktopNotificationText::truncated("abcdé\u00e9\u00e9", 9), "abcd\u00e9\u2026");
    EXPECT_EQ(DesktopNotificationText::truncated("bad \xC3\x28 byte", 64), "bad \uFFFD( byte");

    const std::string hostile = std::string(10'000'000, '<') + std::string(1000, '&') + "\xFF";
    const std::string text = DesktopNotificationText::truncated(DesktopNotificationText::plainText(hostile), 1024);
    EXPECT_LE(text.size(), 1024u);
    EXPECT_TRUE(TextSanitizer::isValidUTF8(text));
}

TEST(DesktopApplicationMatcher, FindsTheInstalledApplicationOrMakesOneUpConsistently)
{
    TemporaryDeviceRoot device;
    std::filesystem::copy(std::filesystem::path(VANTLE_ARTWORK_DIR) / "Applications", device.hostPath("/Applications"),
                          std::filesystem::copy_options::recursive);
    struct Case {
        const char* appName;
        const char* desktopEntry;
        const char* bundleIdentifier;
        const char* displayName;
    };
    const Case cases[] = {
        {"", "com.apple.mobilecal", "com.apple.mobilecal", "Calendar"},
        {"gnome-calendar", "org.gnome.Calendar", "com.apple.mobilecal", "Calendar"},
        {"", "org.example.mobilesms", "com.apple.MobileSMS", "Messages"},
        {"messages", "", "com.apple.MobileSMS", "Messages"},
        {"Firefox", "org.mozilla.firefox", "org.vantle.Desktop.org.mozilla.firefox", "Firefox"},
        {"notify-send", "", "org.vantle.Desktop.notify-send", "notify-send"},
        {"My App/2 \xC3\xA9", "", "org.vantle.Desktop.My-App-2---", "My App/2 \xC3\xA9"},
        {"", "thunderbird", "org.vantle.Desktop.thunderbird", "thunderbird"},
        {"", "", "org.vantle.Desktop.Desktop", "Desktop"},
    };
    for (const Case& c : cases) {
        const auto application = DesktopApplicationMatcher::applicationFor(c.appName, c.desktopEntry);
        ASSERT_TRUE(application);
        EXPECT_EQ(application->bundleIdentifier(), c.bundleIdentifier) << c.appName << " / " << c.desktopEntry;
        EXPECT_EQ(application->displayName(), c.displayName) << c.appName << " / " << c.desktopEntry;
    }
}

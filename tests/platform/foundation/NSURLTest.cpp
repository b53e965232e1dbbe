#include "NSURL.h"

#include <gtest/gtest.h>

TEST(NSURL, KeepsWellFormedTextAndItsScheme)
{
    const auto web = NSURL::URLWithString("http://example.com/a%20b?q=1#top");
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(web->absoluteString(), "http://example.com/a%20b?q=1#top");
    EXPECT_EQ(web->scheme(), "http");

    const auto phone = NSURL::URLWithString("tel:+4912345");
    ASSERT_NE(phone, nullptr);
    EXPECT_EQ(phone->scheme(), "tel");

    const auto relative = NSURL::URLWithString("folder/file.txt");
    ASSERT_NE(relative, nullptr);
    EXPECT_EQ(relative->scheme(), "");
    EXPECT_EQ(NSURL::URLWithString("1http:x")->scheme(), "");

    EXPECT_TRUE(web->isEqual(*NSURL::URLWithString("http://example.com/a%20b?q=1#top")));
    EXPECT_FALSE(web->isEqual(*phone));
}

TEST(NSURL, RefusesTextThatIsNoURL)
{
    for (const char* text : {"", "http://exa mple.com", "http://example.com/%zz", "http://example.com/%4",
                             "a\tb", "caf\xc3\xa9", "<script>", "a\"b", "x{y}"}) {
        EXPECT_EQ(NSURL::URLWithString(text), nullptr) << text;
    }
}

#include "NSString-UIStringDrawing.h"
#include "UIFont.h"
#include "UITextBudget.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Text, SingleLineSizesGrowWithTheTextAndTheFont)
{
    auto font = UIFont::systemFontOfSize(14);
    auto bold = UIFont::boldSystemFontOfSize(14);
    const CGSize one = sizeWithFont("7", bold);
    const CGSize four = sizeWithFont("1234", bold);
    EXPECT_GT(one.width, 4);
    EXPECT_LT(one.width, 14);
    EXPECT_NEAR(four.width, 4 * one.width, 4);  // digits are of equal width
    EXPECT_EQ(one.height, four.height);
    EXPECT_EQ(one.width, std::floor(one.width));  // whole points
    EXPECT_GE(one.height, 14);
    EXPECT_LE(one.height, 20);

    EXPECT_GT(sizeWithFont("Notifications", bold).width, sizeWithFont("Notifications", font).width);
    EXPECT_GT(sizeWithFont("Notifications", UIFont::systemFontOfSize(28)).width,
              1.8 * sizeWithFont("Notifications", font).width);
    EXPECT_EQ(sizeWithFont("", font), CGSizeZero);
    EXPECT_EQ(sizeWithFont("text", nullptr), CGSizeZero);
    EXPECT_EQ(sizeWithFont("a\nb", font).height, sizeWithFont("ab", font).height);  // never wraps

    // Cut to a width with an ellipsis.
    const CGSize cut = sizeWithFontForWidthLineBreakMode(std::string(60, 'w'), font, 100, UILineBreakModeTailTruncation);
    EXPECT_LE(cut.width, 100);
    EXPECT_EQ(cut.height, one.height);

    EXPECT_EQ(font->fontName(), "LiberationSans");
    EXPECT_EQ(bold->fontName(), "LiberationSans-Bold");
    EXPECT_GT(font->lineHeight(), 14);
    EXPECT_GT(font->ascender(), 0);
    EXPECT_LT(font->descender(), 0);
    EXPECT_EQ(UIFont::buttonFontSize(), 18);
}

TEST(Text, ConstrainedSizesWrapAtTheWidthAndKeepWholeLinesWithinTheHeight)
{
    auto font = UIFont::systemFontOfSize(14);
    const CGFloat line = sizeWithFont("Hello", font).height;
    const std::string paragraph =
        "Your friend sent you a message that is long enough to need several lines in the panel's list";

    const CGSize wrapped = sizeWithFontConstrainedToSizeLineBreakMode(paragraph, font, CGSizeMake(282, 9999),
                                                                      UILineBreakModeWordWrap);
    EXPECT_LE(wrapped.width, 282);
    EXPECT_GT(wrapped.width, 200);
    EXPECT_GE(wrapped.height, 2 * line - 1);
    const CGSize narrower =
        sizeWithFontConstrainedToSize(paragraph, font, CGSizeMake(141, 9999));
    EXPECT_GT(narrower.height, wrapped.height);

    // A height bound keeps whole lines only, at least one.
    const CGSize two = sizeWithFontConstrainedToSize(paragraph, font, CGSizeMake(141, 2 * line + 1));
    EXPECT_NEAR(two.height, 2 * line, 1);
    EXPECT_NEAR(sizeWithFontConstrainedToSize(paragraph, font, CGSizeMake(141, 3)).height, line, 1);

    // Short text keeps its own width; explicit line breaks count as lines.
    EXPECT_EQ(sizeWithFontConstrainedToSize("Hi", font, CGSizeMake(320, 480)).width, sizeWithFont("Hi", font).width);
    EXPECT_NEAR(sizeWithFontConstrainedToSize("a\nb\nc", font, CGSizeMake(320, 480)).height, 3 * line, 2);

    // One long word breaks inside rather than overflowing.
    EXPECT_LE(sizeWithFontConstrainedToSize(std::string(80, 'x'), font, CGSizeMake(100, 9999)).width, 100);

    // Repeated measurement answers the same (cached) value.
    EXPECT_EQ(sizeWithFontConstrainedToSize(paragraph, font, CGSizeMake(282, 9999)), wrapped);
}

TEST(Text, LongRunsGetBreaksAndCutsCountOnlyCharactersThatTakeRoom)
{
    const std::string e = "e\xCC\x81"; // e and a combining acute accent
    const std::string zw = "\u200B";
    const struct {
        std::string text;
        std::size_t longestRun;
        std::string broken;
    } runs[] = {
        {"abc def", 3, "abc def"},
        {"abcd ef", 3, "a" + zw + "b" + zw + "c" + zw + "d ef"},
        {e + e + e + e, 3, e + zw + e + zw + e + zw + e},
        {"\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80", 3, "\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80\xE4\xB8\x80"},
        {"", 0, ""},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.text);
        EXPECT_EQ(UITextBudget::breakingLongRuns(run.text, run.longestRun), run.broken);
    }
    EXPECT_EQ(UITextBudget::visibleCharacters(e + zw + "ab"), 3u);
    EXPECT_EQ(UITextBudget::prefix(e + e + "x", 2), e + e);
    EXPECT_EQ(UITextBudget::prefix("ab", 5), "ab");
    EXPECT_EQ(UITextBudget::suffix("x" + e + e, 2), e + e);
    EXPECT_EQ(UITextBudget::suffix("ab", 0), "");
}

TEST(Text, AWordOfSixtyFourKilobytesMeasuresAsTheLinesThatFitItsBound)
{
    auto font = UIFont::systemFontOfSize(14);
    const CGFloat line = sizeWithFont("Hello", font).height;
    std::string word;
    while (word.size() < 64 * 1024) {
        word += "abcdefghijklmnopqrstuvwxyz";
    }
    const CGSize size = sizeWithFontConstrainedToSizeLineBreakMode(word, font, CGSizeMake(282, 9999), UILineBreakModeWordWrap);
    EXPECT_LE(size.width, 282);
    EXPECT_GT(size.width, 270);
    EXPECT_LE(size.height, 9999);
    EXPECT_GT(size.height, 9999 - 2 * line);
}

TEST(Text, ShrinkingToFitPicksTheLargestSizeThatFits)
{
    auto font = UIFont::boldSystemFontOfSize(20);
    CGFloat actual = 0;
    const std::string text = "com.apple.mobilephone";
    const CGSize fitted =
        sizeWithFontMinFontSizeActualFontSizeForWidthLineBreakMode(text, font, 8, &actual, 120, UILineBreakModeTailTruncation);
    EXPECT_LT(actual, 20);
    EXPECT_GE(actual, 8);
    EXPECT_LE(fitted.width, 120);
    EXPECT_GT(sizeWithFont(text, font->fontWithSize(actual + 1)).width, 120);

    sizeWithFontMinFontSizeActualFontSizeForWidthLineBreakMode("Hi", font, 8, &actual, 120, UILineBreakModeTailTruncation);
    EXPECT_EQ(actual, 20);
    sizeWithFontMinFontSizeActualFontSizeForWidthLineBreakMode(std::string(200, 'w'), font, 8, &actual, 120,
                                                               UILineBreakModeTailTruncation);
    EXPECT_EQ(actual, 8);  // never below the minimum
}

} // namespace

#include <thread>
#include <vector>

namespace {

TEST(Text, MeasuringFromSeveralThreadsAnswersWhatOneThreadDoes)
{
    auto font = UIFont::systemFontOfSize(14);
    std::vector<std::string> texts;
    for (int i = 0; i < 40; ++i) {
        texts.push_back("Entry number " + std::to_string(i) + " with enough words to wrap across a couple of lines");
    }
    std::vector<CGSize> expected;
    for (const auto& text : texts) {
        expected.push_back(sizeWithFontConstrainedToSize(text, font, CGSizeMake(200, 9999)));
    }
    std::vector<std::vector<CGSize>> results(4);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < results.size(); ++t) {
        threads.emplace_back([&, t] {
            auto own = UIFont::boldSystemFontOfSize(13 + t);  // new fonts and sizes on each thread
            for (const auto& text : texts) {
                sizeWithFont(text, own);
                results[t].push_back(sizeWithFontConstrainedToSize(text, font, CGSizeMake(200, 9999)));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const auto& result : results) {
        EXPECT_EQ(result, expected);
    }
}

} // namespace

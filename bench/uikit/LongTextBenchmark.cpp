// A record whose body is one word of 64 KiB, as the panel lists it: its row's height measured (the text
// wrapped to 282 points within 9999) and the screen drawn with that row on it at scale 2, beside the floor
// of the same screen with a row of ordinary text. Pango alone takes seconds to wrap such a word; the toolkit
// lays out only what can be seen, so both stay within a frame or so.
//
//     build/default/bench/uikit_bench --benchmark_filter=LongWord
#include "NSString-UIStringDrawing.h"
#include "UILabel.h"
#include "UIRenderer.h"
#include "UIScreen.h"
#include "UIWindow.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr std::size_t kWordBytes = 64 * 1024;
constexpr CGFloat kTextWidth = 282;
constexpr CGFloat kHeightBound = 9999;

std::string longWord(long variant)
{
    std::string word = std::to_string(variant);
    while (word.size() < kWordBytes) {
        word += "abcdefghijklmnopqrstuvwxyz";
    }
    word.resize(kWordBytes);
    return word;
}

std::shared_ptr<UIWindow> screenWithOneRow(const std::string& body)
{
    auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    window->setBackgroundColor(UIColor::whiteColor());
    window->makeKeyAndVisible();
    auto font = UIFont::systemFontOfSize(14);
    const CGSize text = sizeWithFontConstrainedToSizeLineBreakMode(body, font, CGSizeMake(kTextWidth, kHeightBound),
                                                                   UILineBreakModeWordWrap);
    auto label = std::make_shared<UILabel>(CGRectMake(15, 20, kTextWidth, text.height));
    label->setText(body);
    label->setNumberOfLines(0);
    label->setFont(font);
    label->setShadowColor(UIColor::whiteColor());
    label->setShadowOffset(CGSizeMake(0, 1));
    window->addSubview(label);
    return window;
}

void renderScreen(benchmark::State& state, const std::string& body)
{
    UIScreen::mainScreen()->setScale(2);
    auto window = screenWithOneRow(body);
    for (auto _ : state) {
        benchmark::DoNotOptimize(UIRenderer::renderScreen());
    }
}

void BM_RenderRowWithLongWord(benchmark::State& state) { renderScreen(state, longWord(0)); }
BENCHMARK(BM_RenderRowWithLongWord)->Unit(benchmark::kMillisecond);

// The floor: the same screen with a row of ordinary text.
void BM_FloorRenderRowWithShortText(benchmark::State& state)
{
    renderScreen(state, "Anna: are we still meeting at the station at six? I will bring the tickets.");
}
BENCHMARK(BM_FloorRenderRowWithShortText)->Unit(benchmark::kMillisecond);

// The row's height, a new word each time so the size cache does not answer.
void BM_MeasureLongWordRowUncached(benchmark::State& state)
{
    auto font = UIFont::systemFontOfSize(14);
    long variant = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string word = longWord(++variant);
        state.ResumeTiming();
        benchmark::DoNotOptimize(sizeWithFontConstrainedToSizeLineBreakMode(
            word, font, CGSizeMake(kTextWidth, kHeightBound), UILineBreakModeWordWrap));
    }
}
BENCHMARK(BM_MeasureLongWordRowUncached)->Unit(benchmark::kMillisecond);

} // namespace

// Drawing a screen of ten list rows at scale 2 through the toolkit, beside the floor of drawing the same
// rectangles, gradients and texts straight with Cairo and Pango; and measuring row texts, beside the floor
// of a plain Pango layout per text.
#include "CGContext.h"
#include "NSString-UIStringDrawing.h"
#include "UIGraphics.h"
#include "UILabel.h"
#include "UIRenderer.h"
#include "UIScreen.h"
#include "UIWindow.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 10;
constexpr double kRowHeight = 48;

std::string rowText(int i)
{
    return "Message " + std::to_string(i) + ": are we still meeting at the station at six? I will bring the tickets.";
}

class HeaderBackground : public UIView {
public:
    using UIView::UIView;
    void drawRect(CGRect rect) override
    {
        static const auto gradient =
            CGGradient::gradientWithColorComponents({0.7, 0.725, 0.74, 1, 0.9, 0.93, 0.94, 1}, {0, 1});
        UIGraphicsGetCurrentContext()->drawLinearGradient(gradient, {0, rect.size.height}, {0, 0}, 0);
    }
};

std::shared_ptr<UIWindow> makeScreen()
{
    auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    window->setBackgroundColor(UIColor::whiteColor());
    window->makeKeyAndVisible();
    for (int i = 0; i < kRows; ++i) {
        auto row = std::make_shared<HeaderBackground>(CGRectMake(0, i * kRowHeight, 320, kRowHeight));
        auto date = std::make_shared<UILabel>(CGRectMake(15, 4, 100, 13));
        date->setText("2 minutes ago");
        date->setFont(UIFont::boldSystemFontOfSize(11));
        date->setBackgroundColor(UIColor::clearColor());
        auto text = std::make_shared<UILabel>(CGRectMake(15, 18, 282, 28));
        text->setText(rowText(i));
        text->setNumberOfLines(0);
        text->setFont(UIFont::systemFontOfSize(14));
        text->setBackgroundColor(UIColor::clearColor());
        text->setShadowColor(UIColor::whiteColor());
        text->setShadowOffset(CGSizeMake(0, 1));
        auto separator = std::make_shared<UIView>(CGRectMake(0, kRowHeight - 1, 320, 1));
        separator->setBackgroundColor(UIColor::colorWithWhiteAlpha(0.85, 1));
        row->addSubview(date);
        row->addSubview(text);
        row->addSubview(separator);
        window->addSubview(row);
    }
    return window;
}

void BM_RenderTenRowsAtScale2(benchmark::State& state)
{
    UIScreen::mainScreen()->setScale(2);
    auto window = makeScreen();
    for (auto _ : state) {
        benchmark::DoNotOptimize(UIRenderer::renderScreen());
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderTenRowsAtScale2)->Unit(benchmark::kMillisecond);

// The floor: the same pixels drawn directly, one surface, no views, no layers.
void BM_FloorCairoPangoTenRowsAtScale2(benchmark::State& state)
{
    PangoFontMap* map = pango_cairo_font_map_new();
    PangoContext* pango = pango_font_map_create_context(map);
    PangoLayout* layout = pango_layout_new(pango);
    PangoFontDescription* regular = pango_font_description_from_string("Liberation Sans 14px");
    PangoFontDescription* bold = pango_font_description_from_string("Liberation Sans Bold 11px");
    std::vector<std::string> texts;
    for (int i = 0; i < kRows; ++i) {
        texts.push_back(rowText(i));
    }
    for (auto _ : state) {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 640, 960);
        cairo_t* cr = cairo_create(surface);
        cairo_scale(cr, 2, 2);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
        pango_cairo_update_context(cr, pango);
        pango_layout_context_changed(layout);
        for (int i = 0; i < kRows; ++i) {
            const double y = i * kRowHeight;
            cairo_pattern_t* gradient = cairo_pattern_create_linear(0, y + kRowHeight, 0, y);
            cairo_pattern_add_color_stop_rgb(gradient, 0, 0.7, 0.725, 0.74);
            cairo_pattern_add_color_stop_rgb(gradient, 1, 0.9, 0.93, 0.94);
            cairo_set_source(cr, gradient);
            cairo_rectangle(cr, 0, y, 320, kRowHeight);
            cairo_fill(cr);
            cairo_pattern_destroy(gradient);
            cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
            cairo_rectangle(cr, 0, y + kRowHeight - 1, 320, 1);
            cairo_fill(cr);
            cairo_set_source_rgb(cr, 0, 0, 0);
            pango_layout_set_width(layout, -1);
            pango_layout_set_font_description(layout, bold);
            pango_layout_set_text(layout, "2 minutes ago", -1);
            cairo_move_to(cr, 15, y + 4);
            pango_cairo_show_layout(cr, layout);
            pango_layout_set_font_description(layout, regular);
            pango_layout_set_width(layout, 282 * PANGO_SCALE);
            pango_layout_set_text(layout, texts[i].c_str(), -1);
            for (double dy : {1.0, 0.0}) {  // the shadow, then the text
                cairo_set_source_rgb(cr, dy, dy, dy);
                cairo_move_to(cr, 15, y + 18 + dy);
                pango_cairo_show_layout(cr, layout);
            }
        }
        cairo_destroy(cr);
        cairo_surface_flush(surface);
        benchmark::DoNotOptimize(surface);
        cairo_surface_destroy(surface);
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    pango_font_description_free(bold);
    pango_font_description_free(regular);
    g_object_unref(layout);
    g_object_unref(pango);
    g_object_unref(map);
}
BENCHMARK(BM_FloorCairoPangoTenRowsAtScale2)->Unit(benchmark::kMillisecond);

// Row heights: the list measures every row's text on each reload; distinct texts defeat the size cache.
void BM_MeasureRowTextUncached(benchmark::State& state)
{
    auto font = UIFont::systemFontOfSize(14);
    long i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            sizeWithFontConstrainedToSize(rowText(static_cast<int>(i++)), font, CGSizeMake(282, 9999)));
    }
}
BENCHMARK(BM_MeasureRowTextUncached)->Unit(benchmark::kMicrosecond);

void BM_MeasureRowTextRepeated(benchmark::State& state)
{
    auto font = UIFont::systemFontOfSize(14);
    const std::string text = rowText(7);
    for (auto _ : state) {
        benchmark::DoNotOptimize(sizeWithFontConstrainedToSize(text, font, CGSizeMake(282, 9999)));
    }
}
BENCHMARK(BM_MeasureRowTextRepeated)->Unit(benchmark::kMicrosecond);

// The floor of measuring: one plain Pango layout kept and reused.
void BM_FloorPangoMeasure(benchmark::State& state)
{
    PangoFontMap* map = pango_cairo_font_map_new();
    PangoContext* pango = pango_font_map_create_context(map);
    PangoLayout* layout = pango_layout_new(pango);
    PangoFontDescription* regular = pango_font_description_from_string("Liberation Sans 14px");
    pango_layout_set_font_description(layout, regular);
    pango_layout_set_width(layout, 282 * PANGO_SCALE);
    long i = 0;
    for (auto _ : state) {
        const std::string text = rowText(static_cast<int>(i++));
        pango_layout_set_text(layout, text.c_str(), -1);
        int width = 0, height = 0;
        pango_layout_get_size(layout, &width, &height);
        benchmark::DoNotOptimize(height);
    }
    pango_font_description_free(regular);
    g_object_unref(layout);
    g_object_unref(pango);
    g_object_unref(map);
}
BENCHMARK(BM_FloorPangoMeasure)->Unit(benchmark::kMicrosecond);

} // namespace

#include "UITextEngine.h"

#include "MutexLocker.h"
#include "UITextBudget.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace {

constexpr std::size_t kMaximumCachedSizes = 4096;

cairo_font_options_t* unhintedOptions()
{
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    return options;
}

PangoContext* newContext(PangoFontMap* fontMap)
{
    PangoContext* context = pango_font_map_create_context(fontMap);
    cairo_font_options_t* options = unhintedOptions();
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(context, FALSE);
    return context;
}

PangoEllipsizeMode ellipsisFor(UILineBreakMode mode)
{
    switch (mode) {
    case UILineBreakModeHeadTruncation:
        return PANGO_ELLIPSIZE_START;
    case UILineBreakModeMiddleTruncation:
        return PANGO_ELLIPSIZE_MIDDLE;
    case UILineBreakModeTailTruncation:
        return PANGO_ELLIPSIZE_END;
    default:
        return PANGO_ELLIPSIZE_NONE;
    }
}

CGFloat fromPango(int units) { return static_cast<CGFloat>(units) / PANGO_SCALE; }
int toPango(CGFloat points) { return static_cast<int>(std::lround(points * PANGO_SCALE)); }

// The plain layout of the text: font, wrapping, no ellipsis and no height limit yet.
void configure(PangoLayout* layout, const UITextEngine::Request& request)
{
    pango_layout_set_font_description(layout, request.font->pangoDescription());
    pango_layout_set_text(layout, request.text.data(), static_cast<int>(request.text.size()));
    pango_layout_set_single_paragraph_mode(layout, request.singleLine);
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_NONE);
    pango_layout_set_height(layout, -1);
    pango_layout_set_alignment(layout, PANGO_ALIGN_LEFT);
    pango_layout_set_wrap(layout, request.mode == UILineBreakModeCharacterWrap ? PANGO_WRAP_CHAR : PANGO_WRAP_WORD_CHAR);
    const bool wraps = !request.singleLine && request.width > 0;
    pango_layout_set_width(layout, wraps ? toPango(request.width) : -1);
}

struct LineRun {
    int count = 0;
    int kept = 0;
    CGFloat keptHeight = 0;
    CGFloat keptWidth = 0;
};

// Counts the lines and those whose bottom lies within the height bound (at least one).
LineRun keptLines(PangoLayout* layout, CGFloat heightBound)
{
    LineRun run;
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    do {
        int top = 0, bottom = 0;
        pango_layout_iter_get_line_yrange(iter, &top, &bottom);
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        ++run.count;
        const bool fits = heightBound <= 0 || fromPango(bottom) <= heightBound + 1e-6;
        if (run.kept == 0 || (fits && run.kept == run.count - 1)) {
            run.kept = run.count;
            run.keptHeight = fromPango(bottom);
            run.keptWidth = std::max(run.keptWidth, fromPango(logical.width));
        }
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
    return run;
}

// The narrowest a character that takes room is taken to be, and what one takes on average, in ems: the
// first bounds how many fit on a line, the second guesses how many a layout needs.
constexpr CGFloat kNarrowestAdvance = 0.2;
constexpr CGFloat kTypicalAdvance = 0.5;
constexpr CGFloat kUnbounded = std::numeric_limits<CGFloat>::infinity();

bool wraps(const UITextEngine::Request& request) { return !request.singleLine && request.width > 0; }

// A run of more characters than this cannot fit on one line, so the line breaks inside it.
std::size_t longestUnbrokenRun(const UITextEngine::Request& request)
{
    return static_cast<std::size_t>(std::ceil(request.width / (kNarrowestAdvance * request.font->pointSize())));
}

// The text handed to Pango, before any cut.
std::string textToLayOut(const UITextEngine::Request& request)
{
    return wraps(request) ? UITextBudget::breakingLongRuns(request.text, longestUnbrokenRun(request))
                          : std::string(request.text);
}

// Where what can be seen of a layout ends: the lower of the request's height bound and the height shown.
CGFloat seenHeight(const UITextEngine::Request& request, CGFloat shownHeight)
{
    const CGFloat bound = request.height > 0 ? request.height : kUnbounded;
    return shownHeight > 0 ? std::min(bound, shownHeight) : bound;
}

// How many characters to lay out at first, or 0 when the text is laid out whole. Cut are texts that
// wrap within a height that can be seen, or that sit on one line of a width; not a multi-line text
// ellipsized at its start or middle, whose last line would show the end of the whole text.
std::size_t firstBudget(const UITextEngine::Request& request, CGFloat shownHeight)
{
    const CGFloat em = request.font->pointSize();
    const auto perLine = [&] { return std::ceil(request.width / (kTypicalAdvance * em)) + 1; };
    if (request.singleLine) {
        return request.width > 0 ? static_cast<std::size_t>(2 * perLine()) : 0;
    }
    if (!wraps(request)) {
        return 0;
    }
    const PangoEllipsizeMode ellipsis = ellipsisFor(request.mode);
    const bool showsTheEnd = ellipsis == PANGO_ELLIPSIZE_START || ellipsis == PANGO_ELLIPSIZE_MIDDLE;
    const CGFloat height = showsTheEnd ? (shownHeight > 0 && shownHeight < request.height ? shownHeight : kUnbounded)
                                       : seenHeight(request, shownHeight);
    if (height == kUnbounded) {
        return 0;
    }
    const CGFloat lines = std::ceil(height / (em * 1.1)) + 3;
    return static_cast<std::size_t>(std::min<CGFloat>(lines * perLine(), 1e9));
}

// The first `budget` characters of the text, or for a line ellipsized at its start its last ones, or at
// its middle both.
std::string cutTo(std::string_view text, std::size_t budget, const UITextEngine::Request& request)
{
    if (request.singleLine && request.mode == UILineBreakModeHeadTruncation) {
        return std::string(UITextBudget::suffix(text, budget));
    }
    if (request.singleLine && request.mode == UILineBreakModeMiddleTruncation) {
        return std::string(UITextBudget::prefix(text, budget / 2)) + std::string(UITextBudget::suffix(text, budget / 2));
    }
    return std::string(UITextBudget::prefix(text, budget));
}

// Whether a configured layout of a cut text shows all of the whole text that can be seen: a line twice
// as wide as the width, or two lines beyond the last that can be seen (lines are filled one after the
// other, so the lines before the cut are those of the whole text).
bool showsAllThatCanBeSeen(PangoLayout* layout, const UITextEngine::Request& request, CGFloat shownHeight)
{
    if (request.singleLine) {
        PangoRectangle logical;
        pango_layout_get_extents(layout, nullptr, &logical);
        return fromPango(logical.width) >= 2 * request.width;
    }
    const CGFloat height = seenHeight(request, shownHeight);
    const LineRun run = keptLines(layout, height == kUnbounded ? 0 : height);
    return run.count >= run.kept + 2;
}

// Fontconfig is loaded here, on the calling thread, before Pango would load it on a helper thread of its
// own: the font caches are then mapped by this thread, and no unsynchronised hand-over remains.
PangoFontMap* newFontMapOnThisThread()
{
    FcInit();
    return pango_cairo_font_map_new();
}

CGSize roundedUp(CGFloat width, CGFloat height) { return {std::ceil(width - 1e-9), std::ceil(height - 1e-9)}; }

} // namespace

UITextEngine& UITextEngine::shared()
{
    // Never destroyed: objects that other singletons hold until exit (windows, pictures) may still refer
    // to fonts then, and releasing Pango's font map or fontconfig under them aborts the process. Fontconfig's
    // caches therefore stay until the process ends (leak checking is told so in tests/lsan.supp).
    static UITextEngine* const engine = new UITextEngine;
    return *engine;
}

UITextEngine::UITextEngine() : fontMap_(newFontMapOnThisThread())
{
    pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(fontMap_), 72.0);
    measureContext_ = newContext(fontMap_);
    measureLayout_ = pango_layout_new(measureContext_);
    drawContext_ = newContext(fontMap_);
    drawLayout_ = pango_layout_new(drawContext_);
}

UITextEngine::Fit UITextEngine::layOut(PangoLayout* layout, const Request& request, CGFloat shownHeight)
{
    const std::string text = textToLayOut(request);
    Request part = request;
    std::string cut;
    const std::size_t total = UITextBudget::visibleCharacters(text);
    for (std::size_t budget = firstBudget(request, shownHeight); budget != 0 && budget < total; budget *= 2) {
        cut = cutTo(text, budget, request);
        part.text = cut;
        configure(layout, part);
        if (showsAllThatCanBeSeen(layout, request, shownHeight)) {
            return fitConfigured(layout, part);
        }
    }
    part.text = text;
    configure(layout, part);
    return fitConfigured(layout, part);
}

UITextEngine::Fit UITextEngine::fitConfigured(PangoLayout* layout, const Request& request)
{
    Fit fit;
    if (request.text.empty()) {
        return fit;
    }
    const PangoEllipsizeMode ellipsis = ellipsisFor(request.mode);
    if (request.singleLine) {
        if (request.width > 0 && ellipsis != PANGO_ELLIPSIZE_NONE) {
            pango_layout_set_width(layout, toPango(request.width));
            pango_layout_set_ellipsize(layout, ellipsis);
        }
        PangoRectangle logical;
        pango_layout_get_extents(layout, nullptr, &logical);
        CGFloat width = fromPango(logical.width);
        if (request.width > 0) {
            width = std::min(width, request.width);
        }
        fit.size = roundedUp(width, fromPango(logical.height));
        fit.lines = 1;
        fit.truncated = pango_layout_is_ellipsized(layout) || fromPango(logical.width) > request.width + 1e-6;
        fit.keptHeight = fromPango(logical.height);
        return fit;
    }
    const LineRun run = keptLines(layout, request.height);
    fit.lines = run.kept;
    fit.keptHeight = run.keptHeight;
    fit.truncated = run.kept < run.count;
    CGFloat width = run.keptWidth;
    if (fit.truncated && ellipsis != PANGO_ELLIPSIZE_NONE) {
        pango_layout_set_ellipsize(layout, ellipsis);
        pango_layout_set_height(layout, toPango(run.keptHeight));
        width = keptLines(layout, 0).keptWidth;
    }
    fit.size = roundedUp(width, run.keptHeight);
    return fit;
}

std::string UITextEngine::cacheKey(const Request& r)
{
    char parameters[96];
    std::snprintf(parameters, sizeof parameters, "%d|%a|%a|%a|%d|%d|", r.font->isBold() ? 1 : 0, r.font->pointSize(),
                  r.width, r.height, static_cast<int>(r.mode), r.singleLine ? 1 : 0);
    std::string key(parameters);
    key.append(r.text);
    return key;
}

CGSize UITextEngine::measure(const Request& request)
{
    if (request.font == nullptr) {
        return CGSizeZero;
    }
    const std::string key = cacheKey(request);
    MutexLocker held(mutex_);
    if (auto found = sizes_.find(key); found != sizes_.end()) {
        return found->second;
    }
    const CGSize size = layOut(measureLayout_, request, 0).size;
    if (sizes_.size() >= kMaximumCachedSizes) {
        sizes_.clear();
    }
    sizes_.emplace(key, size);
    return size;
}

CGSize UITextEngine::draw(cairo_t* cairo, const Request& request, CGPoint origin)
{
    if (request.font == nullptr || request.text.empty()) {
        return CGSizeZero;
    }
    MutexLocker held(mutex_);
    pango_cairo_update_context(cairo, drawContext_);
    pango_layout_context_changed(drawLayout_);
    double clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;
    cairo_clip_extents(cairo, &clipLeft, &clipTop, &clipRight, &clipBottom);
    // Below the clip nothing shows, so nothing there needs laying out.
    const Fit fit = layOut(drawLayout_, request, std::max<CGFloat>(clipBottom - origin.y, 1));
    const bool aligned = request.width > 0 && request.alignment != UITextAlignmentLeft;

    cairo_save(cairo);
    if (request.singleLine) {
        CGFloat x = origin.x;
        if (aligned) {
            const CGFloat slack = request.width - fit.size.width;
            x += request.alignment == UITextAlignmentCenter ? slack / 2 : slack;
        }
        if (request.width > 0 && fit.truncated) {
            cairo_rectangle(cairo, origin.x, origin.y, request.width, fit.keptHeight);
            cairo_clip(cairo);
        }
        cairo_move_to(cairo, x, origin.y);
    } else {
        if (aligned) {
            pango_layout_set_alignment(drawLayout_,
                                       request.alignment == UITextAlignmentCenter ? PANGO_ALIGN_CENTER : PANGO_ALIGN_RIGHT);
        }
        if (fit.truncated) {
            cairo_rectangle(cairo, origin.x - fit.keptHeight, origin.y,
                            std::max(request.width, fit.size.width) + 2 * fit.keptHeight, fit.keptHeight);
            cairo_clip(cairo);
        }
        cairo_move_to(cairo, origin.x, origin.y);
    }
    pango_cairo_show_layout(cairo, drawLayout_);
    cairo_restore(cairo);
    return fit.size;
}

UITextEngine::Metrics UITextEngine::metrics(const UIFont& font)
{
    MutexLocker held(mutex_);
    const auto key = std::make_pair(font.isBold(), font.pointSize());
    if (auto found = metrics_.find(key); found != metrics_.end()) {
        return found->second;
    }
    PangoFontMetrics* fontMetrics = pango_context_get_metrics(measureContext_, font.pangoDescription(), nullptr);
    Metrics result;
    result.ascender = fromPango(pango_font_metrics_get_ascent(fontMetrics));
    result.descender = -fromPango(pango_font_metrics_get_descent(fontMetrics));
    pango_font_metrics_unref(fontMetrics);
    configure(measureLayout_, Request{"X", &font, 0, 0, UILineBreakModeWordWrap, true, UITextAlignmentLeft});
    PangoRectangle logical;
    pango_layout_get_extents(measureLayout_, nullptr, &logical);
    result.lineHeight = fromPango(logical.height);
    metrics_.emplace(key, result);
    return result;
}

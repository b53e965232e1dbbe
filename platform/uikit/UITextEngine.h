#pragma once

#include "CGGeometry.h"
#include "Mutex.h"
#include "NSString-UIStringDrawing.h"
#include "ThreadSafety.h"
#include "UIFont.h"

#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

typedef struct _cairo cairo_t;
typedef struct _PangoFontMap PangoFontMap;
typedef struct _PangoContext PangoContext;
typedef struct _PangoLayout PangoLayout;

// The one place where text meets Pango: a font map over fontconfig, one context and one reused layout for
// measuring, one for drawing, and a bounded cache of measured sizes (a table measures every row's text on
// every reload). Glyph metrics are unhinted, so a text measures the same at every scale and draws exactly
// where it was measured. Safe to call from any thread: one lock serialises all Pango work.
class UITextEngine {
public:
    struct Request {
        std::string_view text;
        const UIFont* font = nullptr;
        // Wrap (multi-line) or cut (single-line) at this width; 0 or less: no limit.
        CGFloat width = 0;
        // Keep only whole lines within this height; 0 or less: no limit. Multi-line only.
        CGFloat height = 0;
        UILineBreakMode mode = UILineBreakModeWordWrap;
        bool singleLine = false;
        UITextAlignment alignment = UITextAlignmentLeft;
    };

    struct Metrics {
        CGFloat lineHeight = 0;
        CGFloat ascender = 0;
        CGFloat descender = 0;
    };

    static UITextEngine& shared();

    UITextEngine(const UITextEngine&) = delete;
    UITextEngine& operator=(const UITextEngine&) = delete;

    CGSize measure(const Request& request) VT_EXCLUDES(mutex_);
    // Draws with the context's current source at the origin (the top-left of the first line) and answers
    // the size drawn. A width given aligns the lines in it.
    CGSize draw(cairo_t* cairo, const Request& request, CGPoint origin) VT_EXCLUDES(mutex_);
    Metrics metrics(const UIFont& font) VT_EXCLUDES(mutex_);

private:
    UITextEngine();
    // Lives until the process ends (see shared()).
    ~UITextEngine() = delete;

    struct Fit {
        CGSize size;
        int lines = 0;
        bool truncated = false;
        CGFloat keptHeight = 0;
    };

    // Lays the request's text out; `shownHeight` (0: all) is how much of it below its top can show, and
    // only as much of a long text is laid out as can be seen (see UITextBudget).
    Fit layOut(PangoLayout* layout, const Request& request, CGFloat shownHeight) VT_REQUIRES(mutex_);
    Fit fitConfigured(PangoLayout* layout, const Request& request) VT_REQUIRES(mutex_);
    static std::string cacheKey(const Request& request);

    Mutex mutex_;
    PangoFontMap* const fontMap_;
    PangoContext* measureContext_ VT_GUARDED_BY(mutex_);
    PangoLayout* measureLayout_ VT_GUARDED_BY(mutex_);
    PangoContext* drawContext_ VT_GUARDED_BY(mutex_);
    PangoLayout* drawLayout_ VT_GUARDED_BY(mutex_);
    std::unordered_map<std::string, CGSize> sizes_ VT_GUARDED_BY(mutex_);
    std::map<std::pair<bool, CGFloat>, Metrics> metrics_ VT_GUARDED_BY(mutex_);
};

#pragma once

#include "CGGeometry.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_pattern cairo_pattern_t;

// Draws a page folded back over what lies beneath it. The fold line rises from the bottom edge (curl 0:
// the page lies flat) to beyond the top edge (curl 1: the page is folded away), tilted so that the
// right-hand side leads, as a page lifted at its bottom-right corner. Below the line the content beneath
// shows, darkened by the page's shadow along the fold; above it the flat rest of the page, partly covered
// by the folded-back flap: the page's back, a pale sheet through which the mirrored content shows faintly,
// shaded towards the fold. Both contents are patterns in the same coordinates as the rectangle.
class UIPageCurl {
public:
    static void draw(cairo_t* cairo, CGRect rect, cairo_pattern_t* page, cairo_pattern_t* beneath, double curl);
};

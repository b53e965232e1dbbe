#include "UIPageCurl.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Vec {
    double x, y;
};

Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.y * s}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }

// The fold: a point on it, its direction and the normal that points into the uncovered side.
struct Fold {
    Vec point;
    Vec along;
    Vec normal;
};

Fold foldFor(CGRect r, double curl)
{
    const double tilt = 0.25 * r.size.width;
    const double rightY = r.origin.y + (1 - curl) * (r.size.height + tilt) - tilt;
    const Vec left{r.origin.x, rightY + tilt};
    const Vec right{r.origin.x + r.size.width, rightY};
    const Vec direction = right - left;
    const double length = std::hypot(direction.x, direction.y);
    const Vec along = direction * (1 / length);
    Vec normal{-along.y, along.x};
    if (normal.y < 0) {
        normal = normal * -1;  // towards the bottom edge, where the page has lifted off
    }
    return {left, along, normal};
}

// The part of the polygon on the side of the fold that the normal points to.
std::vector<Vec> clipToUncovered(const std::vector<Vec>& polygon, const Fold& fold)
{
    std::vector<Vec> kept;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Vec a = polygon[i];
        const Vec b = polygon[(i + 1) % polygon.size()];
        const double da = dot(a - fold.point, fold.normal);
        const double db = dot(b - fold.point, fold.normal);
        if (da >= 0) {
            kept.push_back(a);
        }
        if ((da >= 0) != (db >= 0)) {
            kept.push_back(a + (b - a) * (da / (da - db)));
        }
    }
    return kept;
}

Vec reflect(Vec p, const Fold& fold)
{
    const Vec offset = p - fold.point;
    return p - fold.normal * (2 * dot(offset, fold.normal));
}

void tracePolygon(cairo_t* cairo, const std::vector<Vec>& polygon)
{
    cairo_new_path(cairo);
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        (i == 0 ? cairo_move_to : cairo_line_to)(cairo, polygon[i].x, polygon[i].y);
    }
    cairo_close_path(cairo);
}

void clipToSide(cairo_t* cairo, const Fold& fold, bool uncovered)
{
    const double far = 1e5;
    const Vec side = fold.normal * (uncovered ? far : -far);
    const Vec a = fold.point - fold.along * far;
    const Vec b = fold.point + fold.along * far;
    tracePolygon(cairo, {a, b, b + side, a + side});
    cairo_clip(cairo);
}

void shade(cairo_t* cairo, const Fold& fold, Vec towards, double width, double startAlpha, double endAlpha)
{
    const Vec end = fold.point + towards * width;
    cairo_pattern_t* gradient = cairo_pattern_create_linear(fold.point.x, fold.point.y, end.x, end.y);
    cairo_pattern_add_color_stop_rgba(gradient, 0, 0, 0, 0, startAlpha);
    cairo_pattern_add_color_stop_rgba(gradient, 1, 0, 0, 0, endAlpha);
    cairo_set_source(cairo, gradient);
    cairo_paint(cairo);
    cairo_pattern_destroy(gradient);
}

} // namespace

void UIPageCurl::draw(cairo_t* cairo, CGRect r, cairo_pattern_t* page, cairo_pattern_t* beneath, double curl)
{
    cairo_save(cairo);
    cairo_rectangle(cairo, r.origin.x, r.origin.y, r.size.width, r.size.height);
    cairo_clip(cairo);
    if (curl <= 0) {
        cairo_set_source(cairo, page);
        cairo_paint(cairo);
        cairo_restore(cairo);
        return;
    }
    const Fold fold = foldFor(r, std::min(curl, 1.0));

    // Beneath, with the lifted page's shadow along the fold.
    cairo_set_source(cairo, beneath);
    cairo_paint(cairo);
    cairo_save(cairo);
    clipToSide(cairo, fold, true);
    shade(cairo, fold, fold.normal, 18, 0.35, 0);
    cairo_restore(cairo);

    // The flat rest of the page.
    cairo_save(cairo);
    clipToSide(cairo, fold, false);
    cairo_set_source(cairo, page);
    cairo_paint(cairo);
    cairo_restore(cairo);

    // The flap: the lifted part of the page, mirrored across the fold onto the flat part.
    const Vec corners[] = {{r.origin.x, r.origin.y},
                           {r.origin.x + r.size.width, r.origin.y},
                           {r.origin.x + r.size.width, r.origin.y + r.size.height},
                           {r.origin.x, r.origin.y + r.size.height}};
    std::vector<Vec> lifted = clipToUncovered(std::vector<Vec>(std::begin(corners), std::end(corners)), fold);
    if (lifted.size() < 3) {
        cairo_restore(cairo);
        return;
    }
    std::vector<Vec> flap;
    for (const Vec& p : lifted) {
        flap.push_back(reflect(p, fold));
    }
    // Its shadow on the flat page first, a little off the flap's edge.
    cairo_save(cairo);
    tracePolygon(cairo, flap);
    cairo_set_source_rgba(cairo, 0, 0, 0, 0.18);
    cairo_set_line_width(cairo, 5);
    cairo_stroke(cairo);
    cairo_restore(cairo);

    cairo_save(cairo);
    tracePolygon(cairo, flap);
    cairo_clip(cairo);
    cairo_set_source_rgb(cairo, 0.93, 0.93, 0.92);
    cairo_paint(cairo);
    // The content seen through the paper, mirrored.
    cairo_save(cairo);
    const double nx = fold.normal.x, ny = fold.normal.y;
    cairo_matrix_t mirror;
    cairo_matrix_init(&mirror, 1 - 2 * nx * nx, -2 * nx * ny, -2 * nx * ny, 1 - 2 * ny * ny, 0, 0);
    const Vec shift = fold.normal * (2 * dot(fold.point, fold.normal));
    mirror.x0 = shift.x;
    mirror.y0 = shift.y;
    cairo_transform(cairo, &mirror);
    cairo_set_source(cairo, page);
    cairo_paint_with_alpha(cairo, 0.18);
    cairo_restore(cairo);
    // Curvature: bright along the fold, darker away from it.
    shade(cairo, fold, fold.normal * -1, 60, 0.0, 0.22);
    cairo_restore(cairo);

    cairo_restore(cairo);
}

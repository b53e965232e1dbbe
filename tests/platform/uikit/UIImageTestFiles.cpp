#include "UIImageTestFiles.h"

#include "DeviceRoot.h"

#include <cairo.h>

#include <cstdlib>
#include <filesystem>

UIImageTestFiles::UIImageTestFiles()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "uikit-images-XXXXXX").string();
    folder_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    // The pictures live at host paths; with the root at "/" a device path is the same path.
    DeviceRoot::setRoot("/");
}

UIImageTestFiles::~UIImageTestFiles()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    DeviceRoot::resetRoot();
}

std::string UIImageTestFiles::path(const std::string& name) const { return folder_ + "/" + name; }

namespace {
std::string writeSurface(cairo_surface_t* surface, const std::string& path)
{
    cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    return path;
}
} // namespace

std::string UIImageTestFiles::writeSquare(const std::string& name, int side, double red, double green, double blue)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side);
    cairo_t* cairo = cairo_create(surface);
    cairo_set_source_rgb(cairo, red, green, blue);
    cairo_paint(cairo);
    cairo_destroy(cairo);
    return writeSurface(surface, path(name));
}

std::string UIImageTestFiles::writeHalves(const std::string& name, int side)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side);
    cairo_t* cairo = cairo_create(surface);
    cairo_set_source_rgb(cairo, 1, 0, 0);
    cairo_rectangle(cairo, 0, 0, side / 2, side);
    cairo_fill(cairo);
    cairo_set_source_rgb(cairo, 0, 0, 1);
    cairo_rectangle(cairo, side / 2, 0, side - side / 2, side);
    cairo_fill(cairo);
    cairo_destroy(cairo);
    return writeSurface(surface, path(name));
}

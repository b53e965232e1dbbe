// What a desktop notification's pictures are read from, and what is refused before anything is read.
#include "DesktopNotificationImage.h"
#include "TemporaryDeviceRoot.h"
#include "UIImage.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

void writePng(const std::filesystem::path& path, int width, int height)
{
    std::filesystem::create_directories(path.parent_path());
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    ASSERT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(surface);
}

} // namespace

TEST(DesktopNotificationImage, AFileIsReadOnlyFromTheAbsolutePathOrLocalFileUriNamed)
{
    const TemporaryDeviceRoot folder;
    const std::string dir = folder.hostPath("/pictures").string();
    writePng(dir + "/a b.png", 8, 8);
    writePng(dir + "/huge.png", DesktopNotificationImage::kMaxSide + 1, 1);
    struct Case {
        std::string named;
        bool read;
    };
    const std::vector<Case> cases = {
        {dir + "/a b.png", true},
        {"file://" + dir + "/a%20b.png", true},
        {"file://localhost" + dir + "/a%20b.png", true},
        {"file://elsewhere" + dir + "/a%20b.png", false},
        {"file://" + dir + "/a%2", false},
        {"file://" + dir + "/a%00b.png", false},
        {"pictures/a b.png", false},
        {dir, false},
        {dir + "/huge.png", false},
        {"/dev/zero", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.named);
        EXPECT_EQ(DesktopNotificationImage::fromPathOrIconName(c.named) != nullptr, c.read);
    }
}

TEST(DesktopNotificationImage, RawPixelsAreTakenOnlyWhenTheirShapeAndBytesAgree)
{
    struct Case {
        const char* name;
        int width, height, stride;
        bool alpha;
        int bits, channels;
        std::size_t bytes;
        bool taken;
    };
    const std::vector<Case> cases = {
        {"RGBA", 2, 2, 8, true, 8, 4, 16, true},
        {"RGB, padded rows, the last unpadded", 2, 2, 8, false, 8, 3, 14, true},
        {"one byte short", 2, 2, 8, true, 8, 4, 15, false},
        {"a stride shorter than a row", 2, 2, 4, true, 8, 4, 16, false},
        {"channels that contradict the alpha flag", 2, 2, 8, false, 8, 4, 16, false},
        {"16 bits a sample", 2, 2, 16, true, 16, 4, 32, false},
        {"a negative size", -2, 2, 8, true, 8, 4, 16, false},
        {"too large", DesktopNotificationImage::kMaxSide + 1, 1, 4100, true, 8, 4, 4100, false},
        {"a stride beyond the bytes", 2, 2, 0x7FFFFFFF, true, 8, 4, 16, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto image = DesktopNotificationImage::fromPixels(c.width, c.height, c.stride, c.alpha, c.bits,
                                                                c.channels, std::vector<std::uint8_t>(c.bytes, 200));
        EXPECT_EQ(image != nullptr, c.taken);
    }
    const std::vector<std::uint8_t> halfRed = {255, 0, 0, 128};
    const auto pixel = DesktopNotificationImage::fromPixels(1, 1, 4, true, 8, 4, halfRed)->pixelAt(0, 0);
    EXPECT_EQ(pixel, (UIImage::Pixel{255, 0, 0, 128})) << "kept as the client gave it";
}

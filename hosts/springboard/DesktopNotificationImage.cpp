#include "DesktopNotificationImage.h"

#include "NSData.h"
#include "UIImage.h"

#include <cairo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>

namespace {

constexpr std::string_view kFileScheme = "file://";
constexpr std::size_t kMaxNameBytes = 255;
constexpr std::array kThemes = {"Adwaita", "hicolor"};
constexpr std::array kSizes = {"48x48", "64x64", "96x96", "128x128", "32x32", "256x256", "24x24"};
constexpr std::array kContexts = {"apps", "status", "legacy", "devices", "categories", "places", "mimetypes"};

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The path of a "file://" URI with an empty or "localhost" host, its %XX escapes decoded; empty otherwise
// (another host, a bad escape, an escaped NUL).
std::string pathOfFileUri(std::string_view uri)
{
    std::string_view rest = uri.substr(kFileScheme.size());
    if (rest.rfind("localhost/", 0) == 0) {
        rest.remove_prefix(std::string_view("localhost").size());
    }
    if (rest.empty() || rest.front() != '/') {
        return {};
    }
    std::string path;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            path += rest[i];
            continue;
        }
        const int high = i + 2 < rest.size() ? hexValue(rest[i + 1]) : -1;
        const int low = i + 2 < rest.size() ? hexValue(rest[i + 2]) : -1;
        if (high < 0 || low < 0 || (high == 0 && low == 0)) {
            return {};
        }
        path += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return path;
}

bool isIconName(const std::string& name)
{
    if (name.empty() || name.size() > kMaxNameBytes || name.front() == '.') {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
               c == '+' || c == '-';
    });
}

// The bytes of the regular file at the absolute path, at most kMaxFileBytes; nothing for anything else.
std::optional<std::string> regularFileBytes(const std::string& path)
{
    if (path.empty() || path.front() != '/' || path.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    // Without waiting: a pipe or a device at the path must not hold the shell up before it is refused.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<std::string> bytes;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size >= 0 &&
        static_cast<std::size_t>(status.st_size) <= DesktopNotificationImage::kMaxFileBytes) {
        std::string read(static_cast<std::size_t>(status.st_size), '\0');
        std::size_t done = 0;
        while (done < read.size()) {
            const ssize_t got = ::read(fd, read.data() + done, read.size() - done);
            if (got <= 0) {
                break;
            }
            done += static_cast<std::size_t>(got);
        }
        if (done == read.size()) {
            bytes = std::move(read);
        }
    }
    ::close(fd);
    return bytes;
}

std::shared_ptr<UIImage> pngOfAcceptedSize(const std::string& bytes)
{
    auto image = UIImage::imageWithPNGData(*NSData::dataWithBytes(bytes), 1);
    if (!image || image->pixelWidth() > DesktopNotificationImage::kMaxSide ||
        image->pixelHeight() > DesktopNotificationImage::kMaxSide) {
        return nullptr;
    }
    return image;
}

std::vector<std::filesystem::path> dataFolders()
{
    std::vector<std::filesystem::path> folders;
    if (const char* home = std::getenv("XDG_DATA_HOME"); home != nullptr && home[0] == '/') {
        folders.emplace_back(home);
    } else if (const char* user = std::getenv("HOME"); user != nullptr && user[0] == '/') {
        folders.push_back(std::filesystem::path(user) / ".local/share");
    }
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string_view list = dirs != nullptr && dirs[0] != '\0' ? dirs : "/usr/local/share:/usr/share";
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        const std::string_view folder = list.substr(0, colon);
        if (!folder.empty() && folder.front() == '/') {
            folders.emplace_back(folder);
        }
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
    return folders;
}

} // namespace

std::shared_ptr<UIImage> DesktopNotificationImage::fromPixels(std::int32_t width, std::int32_t height,
                                                              std::int32_t rowStride, bool hasAlpha,
                                                              std::int32_t bitsPerSample, std::int32_t channels,
                                                              const std::vector<std::uint8_t>& bytes)
{
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide || bitsPerSample != 8 ||
        channels != (hasAlpha ? 4 : 3)) {
        return nullptr;
    }
    const std::int64_t rowBytes = std::int64_t(width) * channels;
    if (rowStride < rowBytes || std::int64_t(rowStride) * (height - 1) + rowBytes > std::int64_t(bytes.size())) {
        return nullptr;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    unsigned char* pixels = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* in = bytes.data() + std::size_t(y) * std::size_t(rowStride);
        auto* out = reinterpret_cast<std::uint32_t*>(pixels + std::size_t(y) * std::size_t(stride));
        for (std::int32_t x = 0; x < width; ++x, in += channels) {
            const std::uint32_t alpha = hasAlpha ? in[3] : 255;
            const auto premultiplied = [alpha](std::uint8_t value) { return (value * alpha + 127) / 255; };
            out[x] = alpha << 24 | premultiplied(in[0]) << 16 | premultiplied(in[1]) << 8 | premultiplied(in[2]);
        }
    }
    cairo_surface_mark_dirty(surface);
    return std::make_shared<UIImage>(surface, 1);
}

std::shared_ptr<UIImage> DesktopNotificationImage::fromFile(const std::string& pathOrUri)
{
    const std::string path =
        pathOrUri.rfind(kFileScheme, 0) == 0 ? pathOfFileUri(pathOrUri) : pathOrUri;
    const auto bytes = regularFileBytes(path);
    return bytes ? pngOfAcceptedSize(*bytes) : nullptr;
}

std::shared_ptr<UIImage> DesktopNotificationImage::fromIconName(const std::string& name)
{
    if (!isIconName(name)) {
        return nullptr;
    }
    const std::string file = name + ".png";
    std::vector<std::filesystem::path> candidates;
    for (const auto& folder : dataFolders()) {
        for (const char* theme : kThemes) {
            for (const char* size : kSizes) {
                for (const char* context : kContexts) {
                    candidates.push_back(folder / "icons" / theme / size / context / file);
                }
            }
        }
    }
    candidates.push_back(std::filesystem::path("/usr/share/pixmaps") / file);
    for (const auto& candidate : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) {
            if (auto image = fromFile(candidate.string())) {
                return image;
            }
        }
    }
    return nullptr;
}

std::shared_ptr<UIImage> DesktopNotificationImage::fromPathOrIconName(const std::string& value)
{
    if (value.rfind(kFileScheme, 0) == 0 || (!value.empty() && value.front() == '/')) {
        return fromFile(value);
    }
    return fromIconName(value);
}

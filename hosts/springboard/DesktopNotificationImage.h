#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class UIImage;

// The pictures a desktop notification names, read only from where the client names them and checked before
// use. Each answers null for anything it does not take.
//
//   - Raw pixels (the "image-data" hint's (iiibiiay)): 8 bits per sample, 3 channels (RGB) or 4 (RGBA, as
//     `hasAlpha` says), sides of 1 to kMaxSide pixels, a row stride that holds a row, and bytes for every row
//     (the last may be unpadded). Anything else is refused.
//   - A file (an absolute path, or a "file://" URI): the regular file at exactly that path, a PNG of at most
//     kMaxFileBytes and kMaxSide pixels a side. Nothing else is opened: no relative path, no other scheme, no
//     device, pipe or folder (opened without waiting, then checked).
//   - An icon name ("dialog-information"): a PNG named so in the icon folders of the XDG data folders (the
//     themes Adwaita and hicolor, a few common sizes and contexts) or in /usr/share/pixmaps. A name is a
//     file name of letters, digits and "._+-" that does not start with a dot, so it never leaves the folder
//     it is looked up in.
class DesktopNotificationImage {
public:
    static constexpr int kMaxSide = 1024;
    static constexpr std::size_t kMaxFileBytes = 8 * 1024 * 1024;

    static std::shared_ptr<UIImage> fromPixels(std::int32_t width, std::int32_t height, std::int32_t rowStride,
                                               bool hasAlpha, std::int32_t bitsPerSample, std::int32_t channels,
                                               const std::vector<std::uint8_t>& bytes);
    static std::shared_ptr<UIImage> fromFile(const std::string& pathOrUri);
    static std::shared_ptr<UIImage> fromIconName(const std::string& name);
    // The "app_icon" argument and the "image-path" hint: a path or URI is a file, anything else an icon name.
    static std::shared_ptr<UIImage> fromPathOrIconName(const std::string& value);
};

#include "BinaryPropertyListChecker.h"

#include <fmt/format.h>

#include <cstdint>
#include <vector>

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kTrailerSize = 32;

// A string holding NUL cannot be a dictionary key: libplist asserts that a key's length is its strlen()
// and aborts the process otherwise.
enum class Kind { Scalar, String, StringWithNul, Array, Dictionary };

struct Object {
    Kind kind = Kind::Scalar;
    std::size_t references = 0; // where the references of a container start
    std::uint64_t count = 0;    // number of references (both halves of a dictionary)
};

std::uint64_t readBigEndian(std::string_view bytes, std::size_t at, std::size_t width)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

bool isValidWidth(unsigned width)
{
    return width == 1 || width == 2 || width == 4 || width == 8;
}

class Checker {
public:
    Checker(std::string_view bytes, const PropertyListLimits& limits)
        : bytes_(bytes), maxDepth_(limits.effectiveMaxDepth()), maxObjects_(limits.maxObjects)
    {
    }

    std::optional<NSError> run()
    {
        if (auto error = readTrailer()) {
            return error;
        }
        if (auto error = readOffsets()) {
            return error;
        }
        return walk();
    }

private:
    std::optional<NSError> readTrailer()
    {
        if (bytes_.substr(0, kHeaderSize) != "bplist00") {
            return NSError("not a binary property list of version 00");
        }
        if (bytes_.size() < kHeaderSize + 1 + kTrailerSize) {
            return NSError("truncated binary property list");
        }
        const std::size_t trailer = bytes_.size() - kTrailerSize;
        offsetWidth_ = static_cast<unsigned char>(bytes_[trailer + 6]);
        referenceWidth_ = static_cast<unsigned char>(bytes_[trailer + 7]);
        const std::uint64_t objectCount = readBigEndian(bytes_, trailer + 8, 8);
        const std::uint64_t top = readBigEndian(bytes_, trailer + 16, 8);
        const std::uint64_t tableOffset = readBigEndian(bytes_, trailer + 24, 8);
        if (!isValidWidth(offsetWidth_) || !isValidWidth(referenceWidth_)) {
            return NSError("binary property list with invalid offset or reference size");
        }
        if (tableOffset < kHeaderSize + 1 || tableOffset > trailer) {
            return NSError("binary property list offset table outside the file");
        }
        if (objectCount == 0 || objectCount > (trailer - tableOffset) / offsetWidth_) {
            return NSError("binary property list offset table does not fit the file");
        }
        if (top >= objectCount) {
            return NSError("binary property list top object out of range");
        }
        objectCount_ = static_cast<std::size_t>(objectCount);
        top_ = static_cast<std::size_t>(top);
        tableOffset_ = static_cast<std::size_t>(tableOffset);
        return std::nullopt;
    }

    std::optional<NSError> readOffsets()
    {
        offsets_.resize(objectCount_);
        for (std::size_t i = 0; i < objectCount_; ++i) {
            const std::uint64_t offset = readBigEndian(bytes_, tableOffset_ + i * offsetWidth_, offsetWidth_);
            if (offset < kHeaderSize || offset >= tableOffset_) {
                return NSError(fmt::format("binary property list object {} outside the object area", i));
            }
            offsets_[i] = static_cast<std::size_t>(offset);
        }
        return std::nullopt;
    }

    // The length of an object whose marker's low nibble is `info`; 0xF means an integer object follows.
    // Moves `at` past the length bytes.
    std::optional<NSError> readLength(unsigned info, std::size_t& at, std::uint64_t& length) const
    {
        if (info != 0xF) {
            length = info;
            return std::nullopt;
        }
        if (at >= tableOffset_) {
            return NSError("binary property list length past the object area");
        }
        const unsigned char marker = static_cast<unsigned char>(bytes_[at]);
        const unsigned width = 1u << (marker & 0xF);
        if ((marker & 0xF0) != 0x10 || (marker & 0xF) > 3 || width > tableOffset_ - at - 1) {
            return NSError("binary property list with a malformed length");
        }
        length = readBigEndian(bytes_, at + 1, width);
        at += 1 + width;
        return std::nullopt;
    }

    // Checks that `size` bytes starting at `at` lie inside the object area.
    std::optional<NSError> requirePayload(std::size_t at, std::uint64_t size) const
    {
        if (at > tableOffset_ || size > tableOffset_ - at) {
            return NSError("binary property list object runs past the object area");
        }
        return std::nullopt;
    }

    // Whether a string payload of `unit`-byte characters holds a zero character.
    bool holdsNul(std::size_t at, std::uint64_t size, unsigned unit) const
    {
        for (std::uint64_t i = 0; i + unit <= size; i += unit) {
            bool zero = true;
            for (unsigned b = 0; b < unit; ++b) {
                zero = zero && bytes_[at + i + b] == '\0';
            }
            if (zero) {
                return true;
            }
        }
        return false;
    }

    std::optional<NSError> parseObject(std::size_t index, Object& object) const
    {
        std::size_t at = offsets_[index];
        const unsigned char marker = static_cast<unsigned char>(bytes_[at]);
        const unsigned type = marker >> 4;
        const unsigned info = marker & 0xF;
        ++at;
        std::uint64_t length = 0;
        switch (type) {
        case 0x0:
            if (info == 0x8 || info == 0x9) {
                return std::nullopt;
            }
            break;
        case 0x1:
            if (info <= 4) {
                return requirePayload(at, 1u << info);
            }
            break;
        case 0x2:
            if (info == 2 || info == 3) {
                return requirePayload(at, 1u << info);
            }
            break;
        case 0x3:
            if (info == 3) {
                return requirePayload(at, 8);
            }
            break;
        case 0x4:
        case 0x5:
        case 0x6: {
            if (auto error = readLength(info, at, length)) {
                return error;
            }
            if (type == 0x6 && length > UINT64_MAX / 2) {
                return NSError("binary property list string too long");
            }
            const std::uint64_t size = type == 0x6 ? length * 2 : length;
            if (auto error = requirePayload(at, size)) {
                return error;
            }
            if (type == 0x4) {
                object.kind = Kind::Scalar;
            } else {
                object.kind = holdsNul(at, size, type == 0x6 ? 2 : 1) ? Kind::StringWithNul : Kind::String;
            }
            return std::nullopt;
        }
        case 0xA:
        case 0xD: {
            if (auto error = readLength(info, at, length)) {
                return error;
            }
            const std::uint64_t references = type == 0xD ? length * 2 : length;
            if (length > UINT64_MAX / 2 / referenceWidth_) {
                return NSError("binary property list container too long");
            }
            if (auto error = requirePayload(at, references * referenceWidth_)) {
                return error;
            }
            object.kind = type == 0xD ? Kind::Dictionary : Kind::Array;
            object.references = at;
            object.count = references;
            return std::nullopt;
        }
        default:
            break;
        }
        return NSError(fmt::format("binary property list object of unsupported type 0x{:02x}", marker));
    }

    std::optional<NSError> referenceAt(const Object& object, std::uint64_t which, std::size_t& target) const
    {
        const std::uint64_t reference =
            readBigEndian(bytes_, object.references + static_cast<std::size_t>(which) * referenceWidth_, referenceWidth_);
        if (reference >= objectCount_) {
            return NSError("binary property list reference out of range");
        }
        target = static_cast<std::size_t>(reference);
        return std::nullopt;
    }

    enum class State : std::uint8_t { Unvisited, Open, Done };

    struct Frame {
        std::size_t index;
        Object object;
        std::uint64_t next = 0;
    };

    std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) const
    {
        const std::uint64_t cap = static_cast<std::uint64_t>(maxObjects_) + 1;
        return a + b > cap || a + b < a ? cap : a + b;
    }

    // Depth-first from the top object; each object is parsed once, its depth and expanded size remembered.
    std::optional<NSError> walk()
    {
        states_.assign(objectCount_, State::Unvisited);
        depths_.assign(objectCount_, 0);
        sizes_.assign(objectCount_, 0);
        kinds_.assign(objectCount_, Kind::Scalar);
        std::vector<Frame> stack;
        if (auto error = open(top_, stack)) {
            return error;
        }
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next == frame.object.count) {
                if (auto error = close(frame)) {
                    return error;
                }
                stack.pop_back();
                continue;
            }
            std::size_t child = 0;
            if (auto error = referenceAt(frame.object, frame.next++, child)) {
                return error;
            }
            if (states_[child] == State::Open) {
                return NSError("binary property list with a reference cycle");
            }
            if (states_[child] == State::Unvisited) {
                if (stack.size() >= maxDepth_) {
                    return NSError(fmt::format("nested deeper than {} levels", maxDepth_));
                }
                if (auto error = open(child, stack)) {
                    return error;
                }
            }
        }
        if (sizes_[top_] > maxObjects_) {
            return NSError(fmt::format("more than {} values", maxObjects_));
        }
        return std::nullopt;
    }

    std::optional<NSError> open(std::size_t index, std::vector<Frame>& stack)
    {
        Object object;
        if (auto error = parseObject(index, object)) {
            return error;
        }
        kinds_[index] = object.kind;
        states_[index] = State::Open;
        stack.push_back(Frame{index, object});
        return std::nullopt;
    }

    // All children are done: record the object's depth and size, and check dictionary keys.
    std::optional<NSError> close(const Frame& frame)
    {
        std::uint64_t depth = 0;
        std::uint64_t size = 1;
        const std::uint64_t keys = frame.object.kind == Kind::Dictionary ? frame.object.count / 2 : 0;
        for (std::uint64_t i = 0; i < frame.object.count; ++i) {
            std::size_t child = 0;
            if (auto error = referenceAt(frame.object, i, child)) {
                return error;
            }
            if (i < keys && kinds_[child] == Kind::StringWithNul) {
                return NSError("binary property list dictionary key with a NUL character");
            }
            if (i < keys && kinds_[child] != Kind::String) {
                return NSError("binary property list dictionary key that is not a string");
            }
            depth = std::max<std::uint64_t>(depth, depths_[child]);
            size = saturatingAdd(size, sizes_[child]);
        }
        depths_[frame.index] = depth + 1;
        sizes_[frame.index] = size;
        states_[frame.index] = State::Done;
        if (depth + 1 > maxDepth_) {
            return NSError(fmt::format("nested deeper than {} levels", maxDepth_));
        }
        if (size > maxObjects_) {
            return NSError(fmt::format("more than {} values", maxObjects_));
        }
        return std::nullopt;
    }

    const std::string_view bytes_;
    const std::size_t maxDepth_;
    const std::size_t maxObjects_;
    unsigned offsetWidth_ = 0;
    unsigned referenceWidth_ = 0;
    std::size_t objectCount_ = 0;
    std::size_t top_ = 0;
    std::size_t tableOffset_ = 0;
    std::vector<std::size_t> offsets_;
    std::vector<State> states_;
    std::vector<std::uint64_t> depths_;
    std::vector<std::uint64_t> sizes_;
    std::vector<Kind> kinds_;
};

} // namespace

std::optional<NSError> BinaryPropertyListChecker::check(std::string_view bytes, const PropertyListLimits& limits)
{
    return Checker(bytes, limits).run();
}

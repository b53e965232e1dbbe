#include "BinaryPropertyListReader.h"

#include "NSArray.h"
#include "NSData.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSString.h"
#include "TextSanitizer.h"

#include <fmt/format.h>

#include <bit>
#include <cstdint>
#include <vector>

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kTrailerSize = 32;

// A string holding NUL is not taken as a dictionary key: no other form of the list could hold that key.
enum class Kind { Scalar, String, StringWithNul, Array, Dictionary };

struct Object {
    Kind kind = Kind::Scalar;
    std::size_t references = 0; // where the references of a container start
    std::uint64_t count = 0;    // number of references (both halves of a dictionary)
    id value;                   // a scalar's value, when values are made
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

// Big-endian UTF-16 as UTF-8; a surrogate without its other half becomes U+FFFD.
std::string utf8FromUTF16(std::string_view units)
{
    std::string out;
    out.reserve(units.size());
    const auto unitAt = [&](std::size_t i) { return static_cast<std::uint32_t>(readBigEndian(units, 2 * i, 2)); };
    const std::size_t count = units.size() / 2;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < count && unitAt(i + 1) >= 0xDC00 && unitAt(i + 1) < 0xE000) {
            TextSanitizer::appendUTF8(out, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00));
            ++i;
        } else {
            TextSanitizer::appendUTF8(out, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
        }
    }
    return out;
}

// A 1-, 2- or 4-byte integer is unsigned, an 8-byte one signed; a 16-byte one is a signed 128-bit integer,
// which the system holds from -2^63 to 2^64-1.
Result<id> integerAt(std::string_view bytes, std::size_t at, unsigned width)
{
    if (width < 8) {
        return id(NSNumber::numberWithInteger(static_cast<std::int64_t>(readBigEndian(bytes, at, width))));
    }
    const std::uint64_t low = readBigEndian(bytes, at + width - 8, 8);
    const std::uint64_t high = width == 16 ? readBigEndian(bytes, at, 8) : (low >> 63 ? ~0ull : 0);
    if (high == 0 && low > static_cast<std::uint64_t>(INT64_MAX)) {
        return id(NSNumber::numberWithUnsignedInteger(low));
    }
    if ((high == 0 && low >> 63 == 0) || (high == ~0ull && low >> 63 == 1)) {
        return id(NSNumber::numberWithInteger(static_cast<std::int64_t>(low)));
    }
    return NSError("binary property list integer beyond 64 bits");
}

double realAt(std::string_view bytes, std::size_t at, unsigned width)
{
    if (width == 4) {
        return static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(readBigEndian(bytes, at, 4))));
    }
    return std::bit_cast<double>(readBigEndian(bytes, at, 8));
}

class Reader {
public:
    Reader(std::string_view bytes, const PropertyListLimits& limits, bool build)
        : bytes_(bytes), maxDepth_(limits.effectiveMaxDepth()), maxObjects_(limits.maxObjects), build_(build)
    {
    }

    // The top object's value; only after run() succeeded with values made.
    id top() const { return values_[top_]; }

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
                if (build_) {
                    object.value = NSNumber::numberWithBool(info == 0x9);
                }
                return std::nullopt;
            }
            break;
        case 0x1:
            if (info <= 4) {
                if (auto error = requirePayload(at, 1u << info)) {
                    return error;
                }
                auto integer = integerAt(bytes_, at, 1u << info);
                if (!integer) {
                    return integer.error();
                }
                if (build_) {
                    object.value = std::move(integer).value();
                }
                return std::nullopt;
            }
            break;
        case 0x2:
            if (info == 2 || info == 3) {
                if (auto error = requirePayload(at, 1u << info)) {
                    return error;
                }
                if (build_) {
                    object.value = NSNumber::numberWithDouble(realAt(bytes_, at, 1u << info));
                }
                return std::nullopt;
            }
            break;
        case 0x3:
            if (info == 3) {
                if (auto error = requirePayload(at, 8)) {
                    return error;
                }
                if (build_) {
                    object.value = NSDate::dateWithTimeIntervalSinceReferenceDate(realAt(bytes_, at, 8));
                }
                return std::nullopt;
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
            if (build_) {
                object.value = scalarText(type, bytes_.substr(at, static_cast<std::size_t>(size)));
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

    static id scalarText(unsigned type, std::string_view payload)
    {
        if (type == 0x4) {
            return NSData::dataWithBytes(payload);
        }
        return NSString::stringWithString(type == 0x6 ? TextSanitizer::validUTF8(utf8FromUTF16(payload))
                                                       : TextSanitizer::validUTF8(payload));
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
        if (build_) {
            values_.assign(objectCount_, nullptr);
        }
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
        if (build_) {
            if (auto error = spendKeyBytes(frame)) {
                return error;
            }
            values_[frame.index] = valueOf(frame);
        }
        return std::nullopt;
    }

    // Values are shared wherever they are referenced, but every dictionary holds its own copy of its keys:
    // the bytes copied are bounded by a multiple of the file's size, so that one long key referenced from
    // many dictionaries cannot make memory grow with the product of the two.
    std::optional<NSError> spendKeyBytes(const Frame& frame)
    {
        const std::uint64_t keys = frame.object.kind == Kind::Dictionary ? frame.object.count / 2 : 0;
        for (std::uint64_t i = 0; i < keys; ++i) {
            std::size_t child = 0;
            (void)referenceAt(frame.object, i, child);
            const std::size_t length = static_cast<const NSString&>(*values_[child]).string().size();
            if (length > keyBytesLeft_) {
                return NSError("binary property list whose keys, copied into every dictionary, outgrow the file");
            }
            keyBytesLeft_ -= length;
        }
        return std::nullopt;
    }

    // The value of an object whose children all have theirs. REQUIRES: close() checked the references.
    id valueOf(const Frame& frame) const
    {
        const auto childAt = [&](std::uint64_t which) {
            std::size_t child = 0;
            (void)referenceAt(frame.object, which, child);
            return values_[child];
        };
        if (frame.object.kind == Kind::Array) {
            std::vector<id> items;
            items.reserve(static_cast<std::size_t>(frame.object.count));
            for (std::uint64_t i = 0; i < frame.object.count; ++i) {
                items.push_back(childAt(i));
            }
            return NSArray::arrayWithObjects(std::move(items));
        }
        if (frame.object.kind == Kind::Dictionary) {
            const auto pairs = static_cast<std::size_t>(frame.object.count / 2);
            std::vector<std::string> keys;
            std::vector<id> values;
            keys.reserve(pairs);
            values.reserve(pairs);
            for (std::size_t i = 0; i < pairs; ++i) {
                keys.push_back(static_cast<const NSString&>(*childAt(i)).string());
                values.push_back(childAt(pairs + i));
            }
            return NSDictionary::dictionaryWithEntries(NSDictionary::Entries::fromKeysAndValues(keys, values));
        }
        return frame.object.value;
    }

    const std::string_view bytes_;
    const std::size_t maxDepth_;
    const std::size_t maxObjects_;
    const bool build_;
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
    std::vector<id> values_;
    std::size_t keyBytesLeft_ = bytes_.size() * 8 + (std::size_t{1} << 20);
};

} // namespace

Result<id> BinaryPropertyListReader::read(std::string_view bytes, const PropertyListLimits& limits)
{
    Reader reader(bytes, limits, true);
    if (auto refused = reader.run()) {
        return *refused;
    }
    return reader.top();
}

std::optional<NSError> BinaryPropertyListReader::check(std::string_view bytes, const PropertyListLimits& limits)
{
    return Reader(bytes, limits, false).run();
}

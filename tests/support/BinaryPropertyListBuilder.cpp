#include "BinaryPropertyListBuilder.h"

#include <cstring>

namespace {

std::string bigEndian(std::uint64_t value, unsigned width)
{
    std::string bytes(width, '\0');
    for (unsigned i = 0; i < width; ++i) {
        bytes[width - 1 - i] = static_cast<char>(value >> (8 * i));
    }
    return bytes;
}

unsigned widthFor(std::uint64_t maximum)
{
    return maximum < 0x100 ? 1 : maximum < 0x10000 ? 2 : maximum < 0x100000000ull ? 4 : 8;
}

} // namespace

std::string BinaryPropertyListBuilder::marker(unsigned type, std::uint64_t length)
{
    if (length < 15) {
        return std::string(1, static_cast<char>((type << 4) | length));
    }
    const unsigned width = widthFor(length);
    const unsigned power = width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3;
    return std::string(1, static_cast<char>((type << 4) | 0xF)) + std::string(1, static_cast<char>(0x10 | power)) +
           bigEndian(length, width);
}

unsigned BinaryPropertyListBuilder::referenceWidth() const
{
    return widthFor(objects_.size());
}

std::string BinaryPropertyListBuilder::references(const std::vector<Index>& indices) const
{
    std::string bytes;
    for (const Index index : indices) {
        bytes += bigEndian(index, referenceWidth());
    }
    return bytes;
}

BinaryPropertyListBuilder::Index BinaryPropertyListBuilder::addRaw(std::string objectBytes)
{
    objects_.push_back(Entry{std::move(objectBytes), 0, {}});
    return objects_.size() - 1;
}

BinaryPropertyListBuilder::Index BinaryPropertyListBuilder::reserve()
{
    return addRaw({});
}

void BinaryPropertyListBuilder::set(Index index, std::string objectBytes)
{
    objects_[index] = Entry{std::move(objectBytes), 0, {}};
}

BinaryPropertyListBuilder::Index BinaryPropertyListBuilder::addBoolean(bool value)
{
    return addRaw(std::string(1, value ? '\x09' : '\x08'));
}

BinaryPropertyListBuilder::Index BinaryPropertyListBuilder::addInteger(std::int64_t value)
{
    return addRaw("\x13" + bigEndian(static_cast<std::uint64_t>(value), 8));
}

BinaryPropertyListBuilder::Index BinaryPropertyListBuilder::addReal(double value)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return addRaw("\x23" + bigEndian(bits, 8));
}

BinaryPropertyListBuilder::Index BinaryPropertyListBuilder::addDate(double secondsSinceReferenceDate)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &secondsSinceReferenceDate, sizeof bits);
    return addRaw("\x33" + bigEndian(bits, 8));
}

BinaryPropertyListBuilder::Index BinaryPropertyListBuilder::addString(const std::string& ascii)
{
    return addRaw(marker(0x5, ascii.size()) + ascii);
}

BinaryPropertyListBuilder::Index BinaryPropertyListBuilder::addData(const std::string& bytes)
{
    return addRaw(marker(0x4, bytes.size()) + bytes);
}

BinaryPropertyListBuilder::Index BinaryPropertyListBuilder::addArray(const std::vector<Index>& items)
{
    // References are sized by the final object count, so containers are encoded at build time.
    objects_.push_back(Entry{{}, 0xA, items});
    return objects_.size() - 1;
}

BinaryPropertyListBuilder::Index
BinaryPropertyListBuilder::addDictionary(const std::vector<std::pair<Index, Index>>& keysAndValues)
{
    std::vector<Index> flat;
    for (const auto& [key, value] : keysAndValues) {
        flat.push_back(key);
    }
    for (const auto& [key, value] : keysAndValues) {
        flat.push_back(value);
    }
    objects_.push_back(Entry{{}, 0xD, flat});
    return objects_.size() - 1;
}

std::string BinaryPropertyListBuilder::build(Index top) const
{
    std::string out = "bplist00";
    std::vector<std::uint64_t> offsets;
    for (const Entry& object : objects_) {
        offsets.push_back(out.size());
        if (object.containerType == 0) {
            out += object.raw;
            continue;
        }
        const std::size_t length =
            object.containerType == 0xD ? object.references.size() / 2 : object.references.size();
        out += marker(object.containerType, length) + references(object.references);
    }
    const std::uint64_t tableOffset = out.size();
    const unsigned offsetWidth = widthFor(tableOffset);
    for (const std::uint64_t offset : offsets) {
        out += bigEndian(offset, offsetWidth);
    }
    out += std::string(6, '\0');
    out += static_cast<char>(offsetWidth);
    out += static_cast<char>(referenceWidth());
    out += bigEndian(objects_.size(), 8);
    out += bigEndian(top, 8);
    out += bigEndian(tableOffset, 8);
    return out;
}

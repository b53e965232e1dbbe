// The XML writer against two readers. The input is a small program that builds a value tree (any
// integer, any double as a real or a date, strings and keys of any bytes, data, nested arrays and
// dictionaries); the tree is written, and:
// - the writer refuses exactly what refusalToWrite refuses, with the same reason, and only dates outside
//   the years 0001 to 9999;
// - the reader reads the XML to the tree as the XML form keeps it (strings and keys made well-formed and
//   cleaned as TextSanitizer does, dates cut to the second toward 2001), and writing that again gives the same bytes;
// - libplist 2.2 reads the XML to the same values, where it is right: not for dates outside its 32-bit
//   seconds from 2001;
// - libplist's binary form of the tree, where it can write one (no such dates, no NaN or infinite
//   reals), reads with the binary reader to the tree, cleaned (dates to libplist's microseconds).
// Anything else aborts.
#include "LibplistPropertyListReader.h"
#include "LibplistPropertyListWriter.h"
#include "NSArray.h"
#include "NSData.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSPropertyListSerialization.h"
#include "NSString.h"
#include "TextSanitizer.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kMaxDepth = 12;

// Reads the program's bytes; past the end every read gives zeros.
class Program {
public:
    explicit Program(std::string_view bytes) : bytes_(bytes) {}

    bool done() const { return at_ >= bytes_.size(); }
    std::uint8_t byte() { return done() ? 0 : static_cast<std::uint8_t>(bytes_[at_++]); }
    std::uint64_t word()
    {
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i) {
            value = value << 8 | byte();
        }
        return value;
    }
    double real() { return std::bit_cast<double>(word()); }
    std::string text()
    {
        const std::size_t length = std::min<std::size_t>(byte(), bytes_.size() - std::min(at_, bytes_.size()));
        std::string out(bytes_.substr(at_, length));
        at_ += length;
        return out;
    }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

// A date: either any double, or (more often, so that dates libplist holds come up) whole seconds of a
// 32-bit range with a fraction.
double dateSeconds(Program& program)
{
    if (program.byte() & 1) {
        return program.real();
    }
    return static_cast<double>(static_cast<std::int32_t>(program.word())) + program.byte() / 256.0;
}

id value(Program& program, std::size_t depth)
{
    const std::uint8_t op = program.byte();
    switch (depth < kMaxDepth ? op % 9 : op % 7) {
    case 0: return NSString::stringWithString(program.text());
    case 1: return NSNumber::numberWithInteger(static_cast<std::int64_t>(program.word()));
    case 2: return NSNumber::numberWithUnsignedInteger(program.word() | 1ull << 63);
    case 3: return NSNumber::numberWithDouble(program.real());
    case 4: return NSDate::dateWithTimeIntervalSinceReferenceDate(dateSeconds(program));
    case 5: return NSData::dataWithBytes(program.text());
    case 6: return NSNumber::numberWithBool(op & 0x80);
    case 7: {
        std::vector<id> items(program.byte() % 8);
        for (id& item : items) {
            item = value(program, depth + 1);
        }
        return NSArray::arrayWithObjects(std::move(items));
    }
    default: {
        NSDictionary::Entries entries;
        for (int count = program.byte() % 8; count > 0; --count) {
            std::string key = program.text();
            entries.insert_or_assign(std::move(key), value(program, depth + 1));
        }
        return NSDictionary::dictionaryWithEntries(std::move(entries));
    }
    }
}

// The tree as a form keeps it: strings and keys cleaned, and in XML dates cut to the second.
id kept(const id& tree, bool cutDates)
{
    if (const auto string = as<NSString>(tree)) {
        return NSString::stringWithString(TextSanitizer::sanitizedForXML(string->string()));
    }
    if (const auto date = as<NSDate>(tree); date && cutDates) {
        return NSDate::dateWithTimeIntervalSinceReferenceDate(std::trunc(date->timeIntervalSinceReferenceDate()));
    }
    if (const auto array = as<NSArray>(tree)) {
        std::vector<id> items;
        for (const id& item : array->objects()) {
            items.push_back(kept(item, cutDates));
        }
        return NSArray::arrayWithObjects(std::move(items));
    }
    if (const auto dictionary = as<NSDictionary>(tree)) {
        NSDictionary::Entries entries;
        for (const auto& [key, item] : dictionary->entries()) {
            entries.insert_or_assign(TextSanitizer::sanitizedForXML(key), kept(item, cutDates));
        }
        return NSDictionary::dictionaryWithEntries(std::move(entries));
    }
    return tree;
}

// Equal values, kinds and signedness included; reals bit for bit but any NaN equal to any NaN; dates
// within `dateTolerance` seconds.
bool same(const id& a, const id& b, double dateTolerance)
{
    if (const auto x = as<NSNumber>(a)) {
        const auto y = as<NSNumber>(b);
        if (!y || x->kind() != y->kind()) {
            return false;
        }
        if (x->kind() == NSNumber::Kind::Real) {
            const double p = x->doubleValue(), q = y->doubleValue();
            return (std::isnan(p) && std::isnan(q)) || std::bit_cast<std::uint64_t>(p) == std::bit_cast<std::uint64_t>(q);
        }
        return x->isEqual(*y);
    }
    if (const auto x = as<NSDate>(a)) {
        const auto y = as<NSDate>(b);
        return y && std::fabs(x->timeIntervalSinceReferenceDate() - y->timeIntervalSinceReferenceDate()) <= dateTolerance;
    }
    if (const auto x = as<NSArray>(a)) {
        const auto y = as<NSArray>(b);
        if (!y || x->count() != y->count()) {
            return false;
        }
        for (std::size_t i = 0; i < x->count(); ++i) {
            if (!same(x->objects()[i], y->objects()[i], dateTolerance)) {
                return false;
            }
        }
        return true;
    }
    if (const auto x = as<NSDictionary>(a)) {
        const auto y = as<NSDictionary>(b);
        if (!y || x->count() != y->count()) {
            return false;
        }
        for (const auto& [key, item] : x->entries()) {
            const auto other = y->entries().find(key);
            if (other == y->entries().end() || !same(item, other->second, dateTolerance)) {
                return false;
            }
        }
        return true;
    }
    return a && b && a->isEqual(*b);
}

// Whether libplist holds every date of the tree (whole seconds in 32 bits from 2001).
bool libplistHoldsDates(const id& tree)
{
    if (const auto date = as<NSDate>(tree)) {
        const double whole = std::trunc(date->timeIntervalSinceReferenceDate());
        return whole >= std::numeric_limits<std::int32_t>::min() && whole <= std::numeric_limits<std::int32_t>::max();
    }
    if (const auto array = as<NSArray>(tree)) {
        for (const id& item : array->objects()) {
            if (!libplistHoldsDates(item)) {
                return false;
            }
        }
    }
    if (const auto dictionary = as<NSDictionary>(tree)) {
        for (const auto& entry : dictionary->entries()) {
            if (!libplistHoldsDates(entry.second)) {
                return false;
            }
        }
    }
    return true;
}

[[noreturn]] void broken(const char* promise, const std::string& detail)
{
    std::fprintf(stderr, "broken promise: %s\n%s\n", promise, detail.c_str());
    std::abort();
}

std::string described(const Result<id>& value)
{
    return value ? value.value()->description() : "refused: " + value.error().reason();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Program program(std::string_view(reinterpret_cast<const char*>(data), size));
    const id tree = value(program, 1);
    const auto xml = NSPropertyListSerialization::dataWithPropertyList(tree);
    const auto refusal = NSPropertyListSerialization::refusalToWrite(tree);
    if (!xml) {
        if (!refusal || refusal->reason() != xml.error().reason()) {
            broken("refusalToWrite gives the writer's reason", xml.error().reason());
        }
        if (xml.error().reason().find("outside the years 0001 to 9999") == std::string::npos) {
            broken("only dates without text are refused", xml.error().reason());
        }
        return 0;
    }
    if (refusal) {
        broken("refusalToWrite refuses only what the writer refuses", refusal->reason());
    }
    const id keptByXML = kept(tree, true);
    const auto ours = NSPropertyListSerialization::propertyListWithData(xml.value());
    if (!ours || !same(ours.value(), keptByXML, 0)) {
        broken("the reader reads the written values", described(ours) + "\n" + xml.value());
    }
    const auto again = NSPropertyListSerialization::dataWithPropertyList(ours.value());
    if (!again || again.value() != xml.value()) {
        broken("writing what was read gives the same bytes", xml.value() + "\n" + (again ? again.value() : ""));
    }
    if (!libplistHoldsDates(tree)) {
        return 0;
    }
    const auto theirs = LibplistPropertyListReader::fromXML(xml.value());
    if (!theirs || !same(theirs.value(), keptByXML, 0)) {
        broken("libplist reads the written values", described(theirs) + "\n" + xml.value());
    }
    if (const auto binary = LibplistPropertyListWriter::toBinary(tree)) {
        // libplist keeps dates to the microsecond (and its own reader loses the sign of one within a
        // second before 2001, so the tree is the reference).
        const auto fromBinary = NSPropertyListSerialization::propertyListWithData(binary.value());
        const id expected = kept(tree, false);
        if (!fromBinary || !same(fromBinary.value(), expected, 2e-6)) {
            broken("the binary reader reads libplist's binary form", described(fromBinary) + "\n" + expected->description());
        }
    }
    return 0;
}

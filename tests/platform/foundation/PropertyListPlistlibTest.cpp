// Round trips through Python's plistlib, the second oracle: plistlib writes each value in both forms, the
// product reads the files to the expected value and writes them back as XML, and plistlib reads that XML
// to the value its own XML form keeps (dates to the second).
#include "LibplistPropertyListReader.h"
#include "LibplistPropertyListWriter.h"
#include "NSArray.h"
#include "NSData.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSPropertyListSerialization.h"
#include "NSString.h"
#include "ToolRun.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

namespace {

// Each case's value in Python; `round_trip.py write DIR` writes DIR/<name>.xml and DIR/<name>.bplist,
// `round_trip.py check DIR` reads back DIR/<name>.xml.out and DIR/<name>.bplist.out, the product's XML
// from each, and prints one line per file.
constexpr const char* kScript = R"PY(
import datetime, math, plistlib, sys
D = datetime.datetime
cases = {
    'date0001': D(1, 1, 1), 'date1900': D(1900, 1, 1, 12, 30, 15), 'date1932': D(1932, 12, 13, 20, 45, 52),
    'date2100': D(2100, 1, 1), 'date9999': D(9999, 12, 31, 23, 59, 59), 'fraction': D(2026, 12, 7, 20, 33, 35, 750000),
    'nan': float('nan'), 'infinity': float('-inf'), 'reals': [0.1, 1e300, 5e-324, -0.0],
    'int64max': 2**63 - 1, 'int64min': -2**63, 'uint64max': 2**64 - 1,
    'unicode': {'k\u00e9y \U0001F600': 'caf\u00e9 \u6f22\u5b57 \U0001F600 <&> \t\n'},
    'empty': {'array': [], 'dict': {}, 'data': b'', 'string': ''}, 'data': bytes(range(256)),
}
def same(a, b):
    if isinstance(a, float) and isinstance(b, float) and math.isnan(a):
        return math.isnan(b)
    if isinstance(a, dict):
        return isinstance(b, dict) and a.keys() == b.keys() and all(same(a[k], b[k]) for k in a)
    if isinstance(a, list):
        return isinstance(b, list) and len(a) == len(b) and all(map(same, a, b))
    return type(a) == type(b) and a == b and (not isinstance(a, float) or math.copysign(1, a) == math.copysign(1, b))
mode, folder = sys.argv[1], sys.argv[2]
for name, value in cases.items():
    if mode == 'write':
        for suffix, fmt in (('.xml', plistlib.FMT_XML), ('.bplist', plistlib.FMT_BINARY)):
            open(f'{folder}/{name}{suffix}', 'wb').write(plistlib.dumps(value, fmt=fmt))
    else:
        kept = plistlib.loads(plistlib.dumps(value))
        for suffix in ('.bplist', '.xml'):
            back = plistlib.load(open(f'{folder}/{name}{suffix}.out', 'rb'))
            print(name + suffix, 'same' if same(kept, back) else f'differs: {back!r} for {kept!r}')
)PY";

double referenceSeconds(int year, int month, int day, int hour, int minute, double second)
{
    const auto text = fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}Z", year, month, day, hour, minute, 0);
    return NSDate::dateWithISO8601String(text)->timeIntervalSinceReferenceDate() + second;
}

id date(int year, int month, int day, int hour = 0, int minute = 0, double second = 0)
{
    return NSDate::dateWithTimeIntervalSinceReferenceDate(referenceSeconds(year, month, day, hour, minute, second));
}

id real(double value)
{
    return NSNumber::numberWithDouble(value);
}

struct Case {
    const char* name;
    id value;
    // What a read of the XML form gives where it keeps less than the binary form.
    id fromXML = nullptr;
};

std::vector<Case> cases()
{
    const std::string unicode = "caf\xC3\xA9 \xE6\xBC\xA2\xE5\xAD\x97 \xF0\x9F\x98\x80 <&> \t\n";
    std::string everyByte;
    for (int b = 0; b < 256; ++b) {
        everyByte += static_cast<char>(b);
    }
    return {
        {"date0001", date(1, 1, 1)},
        {"date1900", date(1900, 1, 1, 12, 30, 15)},
        {"date1932", date(1932, 12, 13, 20, 45, 52)},
        {"date2100", date(2100, 1, 1)},
        {"date9999", date(9999, 12, 31, 23, 59, 59)},
        {"fraction", date(2026, 12, 7, 20, 33, 35.75), date(2026, 12, 7, 20, 33, 35)},
        {"nan", real(std::nan(""))},
        {"infinity", real(-std::numeric_limits<double>::infinity())},
        {"reals", NSArray::arrayWithObjects({real(0.1), real(1e300), real(5e-324), real(-0.0)})},
        {"int64max", NSNumber::numberWithInteger(std::numeric_limits<std::int64_t>::max())},
        {"int64min", NSNumber::numberWithInteger(std::numeric_limits<std::int64_t>::min())},
        {"uint64max", NSNumber::numberWithUnsignedInteger(std::numeric_limits<std::uint64_t>::max())},
        {"unicode", NSDictionary::dictionaryWithEntries(
                        {{"k\xC3\xA9y \xF0\x9F\x98\x80", NSString::stringWithString(unicode)}})},
        {"empty", NSDictionary::dictionaryWithEntries({{"array", NSArray::arrayWithObjects({})},
                                                       {"dict", NSDictionary::dictionary()},
                                                       {"data", NSData::dataWithBytes("")},
                                                       {"string", NSString::stringWithString("")}})},
        {"data", NSData::dataWithBytes(everyByte)},
    };
}

bool sameValue(const id& a, const id& b)
{
    const auto x = as<NSNumber>(a), y = as<NSNumber>(b);
    if (x && y && x->kind() == NSNumber::Kind::Real && std::isnan(x->doubleValue())) {
        return y->kind() == NSNumber::Kind::Real && std::isnan(y->doubleValue());
    }
    return a && b && a->isEqual(*b);
}

std::string contentsOf(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PlistlibRoundTrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() / ("vantle-plistlib-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        std::ofstream(folder_ / "round_trip.py") << kScript;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    ToolRun python(const std::string& mode) const
    {
        return ToolRun::of("python3", ToolRun::quoted((folder_ / "round_trip.py").string()) + " " + mode + " " +
                                          ToolRun::quoted(folder_.string()));
    }

    std::filesystem::path folder_;
};

} // namespace

TEST_F(PlistlibRoundTrip, BothFormsReadToTheValuesAndTheWrittenXMLReadsBackInPlistlib)
{
    const ToolRun written = python("write");
    ASSERT_EQ(written.status, 0) << written.all();
    std::string expectedLines;
    for (const Case& c : cases()) {
        for (const char* suffix : {".bplist", ".xml"}) {
            auto read = NSPropertyListSerialization::propertyListWithData(contentsOf(folder_ / (c.name + std::string(suffix))));
            ASSERT_TRUE(read.ok()) << c.name << suffix << ": " << read.error().reason();
            const id& expected = suffix == std::string(".xml") && c.fromXML ? c.fromXML : c.value;
            EXPECT_TRUE(sameValue(read.value(), expected)) << c.name << suffix << ": " << read.value()->description();
            auto xml = NSPropertyListSerialization::dataWithPropertyList(read.value());
            ASSERT_TRUE(xml.ok()) << c.name << ": " << xml.error().reason();
            std::ofstream(folder_ / (c.name + std::string(suffix) + ".out"), std::ios::binary) << xml.value();
            expectedLines += c.name + std::string(suffix) + " same\n";
        }
    }
    const ToolRun checked = python("check");
    ASSERT_EQ(checked.status, 0) << checked.all();
    EXPECT_EQ(checked.out, expectedLines);
}

// libplist 2.2 as the other oracle, for the values it holds (not the dates beyond its 32-bit seconds nor
// the reals that are not finite): it reads the writer's XML to the same values, and its binary form reads
// to them here.
TEST(PropertyListLibplistOracle, AgreesOnTheValuesLibplistHolds)
{
    std::size_t compared = 0;
    for (const Case& c : cases()) {
        const auto binary = LibplistPropertyListWriter::toBinary(c.value);
        if (!binary) {
            continue;
        }
        ++compared;
        const auto xml = NSPropertyListSerialization::dataWithPropertyList(c.value);
        ASSERT_TRUE(xml.ok()) << c.name;
        const auto theirs = LibplistPropertyListReader::fromXML(xml.value());
        ASSERT_TRUE(theirs.ok()) << c.name;
        EXPECT_TRUE(sameValue(theirs.value(), c.fromXML ? c.fromXML : c.value)) << c.name << ": " << xml.value();
        const auto ours = NSPropertyListSerialization::propertyListWithData(binary.value());
        ASSERT_TRUE(ours.ok()) << c.name << ": " << ours.error().reason();
        EXPECT_TRUE(sameValue(ours.value(), c.value)) << c.name << ": " << ours.value()->description();
    }
    EXPECT_GE(compared, 8u);
}

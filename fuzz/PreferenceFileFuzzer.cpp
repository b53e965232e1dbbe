// The tweak's preference file as the settings read it: the input is the whole file
// "net.torvask.VantlePro.plist", read by PLWriter::reloadSettings over settings that already hold values
// other than the defaults. Beyond "no crash, no sanitizer report" it checks what a reload promises:
//  - the alerts-allowed flags are never touched;
//  - a scalar key the file lacks keeps the value it had (it does not fall back to its default);
//  - a file that exists always leaves a "Group By" (the stored text, or "Date" without the key), a
//    redirections dictionary and an ignored set, and every ignored identifier is a "Bundle Id" of the file;
//  - reading the same file again changes nothing.
#include "FuzzDeviceRoot.h"
#include "NSArray.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSNumber.h"
#include "NSString.h"
#include "PLWriter.h"
#include "VTSettings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace {

// Every setting as the getters answer it.
struct Snapshot {
    bool autoDeleteOnBadge, blockHomescreenAlerts, blockLockscreenAlerts, customIcons, hideRead, livePulldown,
        statusbarIcons, musicOnLockscreen, musicOnHomescreen, lockscreenAllowed, springBoardAllowed;
    std::int64_t autoDelete;
    std::int32_t itemsToKeep;
    std::optional<std::string> groupBy;
    std::optional<std::string> redirections;
    std::optional<std::set<std::string>> ignored;

    static Snapshot take()
    {
        Snapshot s{PLWriter::autoDeleteOnBadge(), PLWriter::blockHomescreenAlerts(), PLWriter::blockLockscreenAlerts(),
                   PLWriter::customIcons(), PLWriter::hideRead(), PLWriter::livePulldown(), PLWriter::statusbarIcons(),
                   PLWriter::musicOnLockscreen(), PLWriter::musicOnHomescreen(), PLWriter::overridenLockscreen(),
                   PLWriter::overridenSpringBoard(), PLWriter::autoDelete(), PLWriter::itemsToKeep(), {}, {}, {}};
        if (const auto groupBy = PLWriter::groupBy()) {
            s.groupBy = groupBy->string();
        }
        if (const auto redirections = PLWriter::redirections()) {
            s.redirections = redirections->description();
        }
        if (const auto ignored = PLWriter::ignoredApplications()) {
            s.ignored = *ignored;
        }
        return s;
    }
    bool operator==(const Snapshot&) const = default;
};

[[noreturn]] void broken(const char* promise)
{
    std::fprintf(stderr, "broken promise: %s\n", promise);
    std::abort();
}

// Values no default has, so that a key falling back to its default shows. Made once: every input starts
// from it.
const std::shared_ptr<NSDictionary>& baseline()
{
    static const auto values = NSDictionary::dictionaryWithEntries({
        {"Auto Delete On Badge", NSNumber::numberWithBool(true)},
        {"Auto Delete Type", NSNumber::numberWithInteger(7)},
        {"Block Homescreen Alerts", NSNumber::numberWithBool(true)},
        {"Block Lockscreen Alerts", NSNumber::numberWithBool(true)},
        {"Custom Icons", NSNumber::numberWithBool(false)},
        {"Hide Read", NSNumber::numberWithBool(false)},
        {"Items To Keep", NSNumber::numberWithInteger(-3)},
        {"Live Pulldown", NSNumber::numberWithBool(false)},
        {"Statusbar Icons", NSNumber::numberWithBool(false)},
        {"Music Lockscreen", NSNumber::numberWithBool(false)},
        {"Music Homescreen", NSNumber::numberWithBool(false)},
    });
    return values;
}

void checkAbsentKeysKept(const NSDictionary& file, const Snapshot& before, const Snapshot& after)
{
    struct Key {
        const char* name;
        bool kept;
    };
    const Key keys[] = {
        {"Auto Delete On Badge", after.autoDeleteOnBadge == before.autoDeleteOnBadge},
        {"Auto Delete Type", after.autoDelete == before.autoDelete},
        {"Block Homescreen Alerts", after.blockHomescreenAlerts == before.blockHomescreenAlerts},
        {"Block Lockscreen Alerts", after.blockLockscreenAlerts == before.blockLockscreenAlerts},
        {"Custom Icons", after.customIcons == before.customIcons},
        {"Hide Read", after.hideRead == before.hideRead},
        {"Items To Keep", after.itemsToKeep == before.itemsToKeep},
        {"Live Pulldown", after.livePulldown == before.livePulldown},
        {"Statusbar Icons", after.statusbarIcons == before.statusbarIcons},
        {"Music Lockscreen", after.musicOnLockscreen == before.musicOnLockscreen},
        {"Music Homescreen", after.musicOnHomescreen == before.musicOnHomescreen},
    };
    for (const Key& key : keys) {
        if (!file.objectForKey(key.name) && !key.kept) {
            std::fprintf(stderr, "\"%s\": ", key.name);
            broken("a key the file lacks keeps its value");
        }
    }
}

void checkObjectSettings(const NSDictionary& file, const Snapshot& after)
{
    const id groupBy = file.objectForKey("Group By");
    const auto groupByText = as<NSString>(groupBy);
    if (!groupBy && after.groupBy != "Date") {
        broken("a file without \"Group By\" groups by \"Date\"");
    }
    if (groupByText && after.groupBy != groupByText->string()) {
        broken("\"Group By\" is the stored text");
    }
    if (!after.redirections || !after.ignored) {
        broken("a loaded file leaves redirections and an ignored set");
    }
    std::set<std::string> bundleIds;
    if (const auto entries = file.objectForKey<NSArray>("Ignored Applications")) {
        for (const id& entry : entries->objects()) {
            const auto application = as<NSDictionary>(entry);
            if (const auto bundleId = application ? application->stringForKey("Bundle Id") : std::nullopt) {
                bundleIds.insert(*bundleId);
            }
        }
    }
    if (*after.ignored != bundleIds) {
        broken("the ignored set is the file's \"Bundle Id\" values");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const FuzzDeviceRoot root;
    static const bool prepared = (root.createDirectory("/var/mobile/Library/Preferences"), true);
    (void)prepared;

    PLWriter::resetSettings();
    VTSettings::shared().apply(baseline());
    PLWriter::overrideLockscreen(false);
    const Snapshot before = Snapshot::take();

    root.writeFile(PLWriter::kPreferencesPath, std::string_view(reinterpret_cast<const char*>(data), size));
    PLWriter::reloadSettings();
    const Snapshot after = Snapshot::take();

    if (after.lockscreenAllowed || !after.springBoardAllowed) {
        broken("a reload leaves the alerts-allowed flags alone");
    }
    const auto read = NSFileManager::defaultManager().readPropertyListAtPath(PLWriter::kPreferencesPath);
    const auto file = read.valueAs<NSDictionary>();
    const auto contents = file ? file : NSDictionary::dictionary();
    checkAbsentKeysKept(*contents, before, after);
    checkObjectSettings(*contents, after);

    PLWriter::reloadSettings();
    if (!(Snapshot::take() == after)) {
        broken("reading the same file again changes nothing");
    }
    return 0;
}

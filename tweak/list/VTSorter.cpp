#include "VTSorter.h"

#include "Assertions.h"
#include "HeapMemory.h"
#include "NSArray.h"
#include "NSDate.h"
#include "NSDictionary-Vantle.h"
#include "NSFileManager.h"
#include "NSNumber.h"
#include "NSRecursiveLockHolder.h"
#include "NSString-UIStringDrawing.h"
#include "NSString.h"
#include "NSThread.h"
#include "PLWriter.h"
#include "SpringBoard-Vantle.h"
#include "UITableView.h"
#include "VTController.h"
#include "VTHeaderCell.h"
#include "VTNotificationCell.h"
#include "VTNotificationListWindow.h"
#include "VTShowMoreCell.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string_view>

namespace {

constexpr double kEntryHeightBound = 9999;
constexpr double kEntryFontSize = 14;

// The entry font's line height and the mean advance of a character of ordinary text, measured once.
struct EntryTextMetrics {
    double lineHeight = 0;
    double advance = 0;
};

const EntryTextMetrics& entryTextMetrics()
{
    static const EntryTextMetrics metrics = [] {
        const std::string_view sample = "The quick brown fox jumps over the lazy dog, 0123456789.";
        const auto font = UIFont::systemFontOfSize(kEntryFontSize);
        return EntryTextMetrics{font->lineHeight(), sizeWithFont(sample, font).width / sample.size()};
    }();
    return metrics;
}

// How many bytes of the word equal the byte (each of the word's eight is compared on its own).
int bytesEqual(std::uint64_t word, unsigned char byte)
{
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    const std::uint64_t diff = word ^ (0x0101010101010101ULL * byte); // a zero byte where they are equal
    return std::popcount(~(((diff & kLow7) + kLow7) | diff | kLow7));
}

// The text's characters (bytes that do not continue a UTF-8 sequence) and line breaks, eight bytes at a
// time: the table asks every row's estimate at each reload.
std::pair<std::size_t, std::size_t> charactersAndBreaks(std::string_view text)
{
    std::size_t continuations = 0;
    std::size_t breaks = 0;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        continuations += bytesEqual(word & 0xC0C0C0C0C0C0C0C0ULL, 0x80);
        breaks += bytesEqual(word, '\n');
    }
    for (; i < text.size(); ++i) {
        continuations += (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80 ? 1 : 0;
        breaks += text[i] == '\n' ? 1 : 0;
    }
    return {text.size() - continuations, breaks};
}

// A guess at the height of the text wrapped to the width, from its length alone: as many lines as its
// characters take at the mean advance, plus one for each line break.
double estimatedTextHeight(std::string_view text, double width)
{
    const auto [characters, breaks] = charactersAndBreaks(text);
    const auto& metrics = entryTextMetrics();
    const double perLine = width > 0 ? std::max(1.0, std::floor(width / metrics.advance)) : 1;
    const double lines = std::max(1.0, std::ceil(static_cast<double>(characters) / perLine)) + breaks;
    return std::ceil(lines * metrics.lineHeight);
}

// The records of a log file (elements that are not dictionaries are skipped); none when it is missing or
// does not read as a list.
VTSorter::Records readLog(const char* path)
{
    const auto list = NSFileManager::defaultManager().readPropertyListAtPath(path).valueAs<NSArray>();
    VTSorter::Records records;
    if (!list) {
        return records;
    }
    for (const auto& element : list->objects()) {
        if (auto record = as<NSDictionary>(element)) {
            records.push_back(std::move(record));
        }
    }
    return records;
}

void appendRecords(VTSorter::Records& records, VTSorter::Records more)
{
    records.insert(records.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
}

// The collapsed file: a set of keys when it reads as a dictionary (keys whose value is true), an empty set
// when it is missing, and nothing when it does not read as a dictionary.
std::optional<std::set<std::string>> readCollapsedList()
{
    const auto read = NSFileManager::defaultManager().readPropertyListAtPath(VTSorter::kCollapsedPath);
    if (read.isMissing()) {
        return std::set<std::string>();
    }
    const auto dictionary = read.valueAs<NSDictionary>();
    if (!dictionary) {
        return std::nullopt;
    }
    std::set<std::string> keys;
    for (const auto& [key, value] : dictionary->entries()) {
        if (const auto flag = as<NSNumber>(value); flag && flag->boolValue()) {
            keys.insert(key);
        }
    }
    return keys;
}

void writeCollapsedList(const std::set<std::string>& keys)
{
    NSDictionary::Entries entries;
    for (const auto& key : keys) {
        entries.emplace(key, NSNumber::numberWithBool(true));
    }
    (void)NSFileManager::defaultManager().writePropertyList(
        NSDictionary::dictionaryWithEntries(std::move(entries)), VTSorter::kCollapsedPath);
}

std::optional<std::string> textOf(const id& value)
{
    const auto text = as<NSString>(value);
    return text ? std::optional<std::string>(text->string()) : std::nullopt;
}

template <class T>
std::shared_ptr<T> dequeueOrMake(UITableView& table, const char* identifier)
{
    if (auto cell = std::dynamic_pointer_cast<T>(table.dequeueReusableCellWithIdentifier(identifier))) {
        return cell;
    }
    return std::make_shared<T>(UITableViewCellStyle::Default, identifier);
}

} // namespace

VTSorter::VTSorter(NSRunLoop& main)
    : main_(main)
{
    formatter_.setDateStyle(NSDateFormatter::Style::Short);
    formatter_.setTimeStyle(NSDateFormatter::Style::Short);
}

VTSorter::~VTSorter() = default;

// --- Loading ---

void VTSorter::loadNotifications() { reloadNotifications(true); }

void VTSorter::reloadNotifications(bool fromDisk)
{
    if (!fromDisk) {
        sortOnMainThread();
        return;
    }
    busy_ = true;
    auto read = readNotificationsFromDisk(generation_.load());
    if (!read) {
        busy_ = false;
        return;
    }
    Loaded& loaded = read->second;
    {
        const VTLogSnapshot snapshot = std::move(read->first);
        if (auto first = firstScreen(snapshot, loaded)) {
            post(std::move(*first));
        }
        loaded.records = snapshot.records(loaded.unread);
    } // the files' bytes go before the sort makes its entries
    loaded.groups =
        sortNotifications({loaded.records, loaded.unread, loaded.collapsedList ? &*loaded.collapsedList : nullptr});
    post(std::move(loaded));
    // The files' bytes and the parse's scratch, freed between the records and entries that stay, would
    // otherwise stay with the process, a long log's worth at each opening.
    HeapMemory::returnFreedMemoryToTheSystem();
}

void VTSorter::post(Loaded loaded)
{
    main_.performBlock([weak = weak_from_this(), result = std::make_shared<Loaded>(std::move(loaded))] {
        if (const auto self = weak.lock()) {
            self->publish(std::move(*result));
        }
    });
}

std::optional<std::pair<VTLogSnapshot, VTSorter::Loaded>> VTSorter::readNotificationsFromDisk(
    std::uint64_t generation) const
{
    PLWriter::waitForLaterChanges(); // an earlier panel's close, so its records read as old
    const NSRecursiveLockHolder hold(PLWriter::storeLock());
    if (generation != generation_.load()) {
        return std::nullopt; // purged or flushed before the read began
    }
    Loaded loaded;
    loaded.generation = generation;
    loaded.appendCount = PLWriter::appendCount();
    loaded.moreToShow =
        PLWriter::hideRead() && NSFileManager::defaultManager().fileExistsAtPath(PLWriter::kOldNotificationsPath);
    loaded.collapsedList = readCollapsedList();
    return std::pair(VTLogSnapshot::read(!PLWriter::hideRead()), std::move(loaded));
}

std::optional<VTSorter::Loaded> VTSorter::firstScreen(const VTLogSnapshot& snapshot, const Loaded& loaded) const
{
    const auto outline = snapshot.outline();
    if (!outline) {
        return std::nullopt;
    }
    const bool wholeGroups = groupsFromNewestRecordsAlone();
    const std::set<std::string>* collapsed = loaded.collapsedList ? &*loaded.collapsedList : nullptr;
    Records records;
    for (std::size_t wanted = kFirstScreenRows; wanted <= kFirstScreenRecordsAtMost; wanted *= 4) {
        if (!readNewest(*outline, wanted, wholeGroups, records) || records.size() > kFirstScreenRecordsAtMost) {
            return std::nullopt;
        }
        if (records.size() == outline->count()) {
            return std::nullopt; // the whole log: the complete load shows it as soon
        }
        Loaded first;
        first.generation = loaded.generation;
        first.firstScreen = true;
        first.count = outline->count();
        first.records = records;
        first.unread = outline->newRecords();
        first.moreToShow = loaded.moreToShow;
        first.collapsedList = loaded.collapsedList;
        first.groups = sortNotifications({records, outline->newRecords(), collapsed});
        if (!wholeGroups && !findBeyond(*outline, collapsed, first)) {
            return std::nullopt;
        }
        if (rowsOf(first.groups) >= kFirstScreenRows) {
            return first;
        }
    }
    return std::nullopt;
}

bool VTSorter::readNewest(const VTLogSnapshot::Outline& outline, std::size_t wanted, bool wholeLastRun,
                          Records& records)
{
    while (records.size() < std::min(wanted, outline.count())) {
        auto record = outline.recordAt(records.size());
        if (!record) {
            return false;
        }
        records.push_back(std::move(record));
    }
    // In date order the last group must hold every record it will hold: its header counts them.
    while (wholeLastRun && !records.empty() && records.size() < outline.count() &&
           records.size() <= kFirstScreenRecordsAtMost) {
        auto record = outline.recordAt(records.size());
        if (!record) {
            return false;
        }
        const auto name = applicationNameOf(*record);
        if (!name || name != applicationNameOf(*records.back())) {
            break;
        }
        records.push_back(std::move(record));
    }
    return true;
}

bool VTSorter::findBeyond(const VTLogSnapshot::Outline& outline, const std::set<std::string>* collapsedList,
                          Loaded& first)
{
    using Outline = VTLogSnapshot::Outline;
    // The name as the layout gives it; false when the layout is not understood.
    const auto nameAt = [&outline](std::size_t position, std::optional<std::string>& decoded,
                                   std::optional<std::string_view>& name) {
        const auto laid = outline.applicationAt(position);
        name = laid.escaped;
        if (laid.understood && name && name->find('&') != std::string_view::npos) {
            decoded = Outline::unescaped(*name);
            name = decoded ? std::optional<std::string_view>(*decoded) : std::nullopt;
            return decoded.has_value();
        }
        return laid.understood;
    };
    std::optional<std::string> decoded;
    std::optional<std::string_view> name;
    const std::size_t end = first.records.size();
    for (std::size_t i = 0; i < end; ++i) {
        const auto parsed = applicationNameOf(*first.records[i]);
        if (!nameAt(i, decoded, name) || name.has_value() != parsed.has_value() || (name && *name != *parsed)) {
            return false; // the layout was misread
        }
    }
    // The positions further down of each application shown.
    std::unordered_map<std::string_view, std::vector<std::size_t>> positions;
    for (const auto& group : first.groups) {
        if (group->appName()) {
            positions.emplace(*group->appName(), std::vector<std::size_t>());
        }
    }
    for (std::size_t i = end; i < outline.count(); ++i) {
        if (!nameAt(i, decoded, name)) {
            return false;
        }
        if (name) {
            if (const auto found = positions.find(*name); found != positions.end()) {
                found->second.push_back(i);
            }
        }
    }
    std::size_t parsed = end;
    const auto parse = [&](std::size_t position, std::string_view expected) -> std::shared_ptr<NSDictionary> {
        auto record = ++parsed <= kFirstScreenRecordsAtMost ? outline.recordAt(position) : nullptr;
        const auto recordName = record ? applicationNameOf(*record) : std::nullopt;
        return recordName && *recordName == expected ? record : nullptr;
    };
    const bool anyMarked = collapsedList && !collapsedList->empty();
    for (const auto& [application, further] : positions) {
        if (further.empty()) {
            continue;
        }
        Beyond beyond;
        beyond.count = further.size();
        const auto oldest = parse(further.back(), application);
        if (!oldest) {
            return false;
        }
        beyond.bundleID = bundleIdentifierOf(*oldest);
        // Marked until one is found that is not: most often the first one looked at.
        beyond.marked = anyMarked;
        for (std::size_t i = 0; beyond.marked && i < further.size(); ++i) {
            const auto record = i + 1 == further.size() ? oldest : parse(further[i], application);
            if (!record) {
                return false;
            }
            beyond.marked = isRecordMarkedCollapsed(collapsedList, *record);
        }
        first.beyond.emplace(std::string(application), std::move(beyond));
    }
    applyBeyond(first.beyond, first.groups);
    return true;
}

void VTSorter::applyBeyond(const BeyondFirstScreen& beyond, const Groups& groups)
{
    for (const auto& group : groups) {
        const auto found = group->appName() ? beyond.find(*group->appName()) : beyond.end();
        if (found != beyond.end()) {
            group->setBundleID(found->second.bundleID);
            group->setCollapsed(group->isCollapsed() && found->second.marked);
        }
    }
}

std::string VTSorter::collapsedKeyOf(const NSDictionary& record)
{
    const auto date = as<NSDate>(NSDictionaryVantle::date(record));
    return date ? date->description() : std::string();
}

bool VTSorter::isRecordMarkedCollapsed(const std::set<std::string>* collapsedList, const NSDictionary& record)
{
    const auto key = collapsedKeyOf(record);
    return collapsedList && !key.empty() && collapsedList->contains(key);
}

VTSorter::Groups VTSorter::sortHeld() const
{
    auto groups = sortNotifications({rawNotifications_, unread_, collapsedList()});
    if (phase_ == Phase::FirstScreen) {
        applyBeyond(beyond_, groups);
    }
    return groups;
}

std::size_t VTSorter::entriesCountedBy(const VTNotificationGroup& group) const
{
    if (phase_ == Phase::FirstScreen && group.appName()) {
        if (const auto found = beyond_.find(*group.appName()); found != beyond_.end()) {
            return group.count() + found->second.count;
        }
    }
    return group.count();
}

void VTSorter::carryOverBeyond(std::size_t shownEnd)
{
    if (beyond_.empty()) {
        return;
    }
    std::size_t kept = shownEnd;
    unsigned deletedNew = 0;
    for (std::size_t i = shownEnd; i < rawNotifications_.size(); ++i) {
        const auto name = applicationNameOf(*rawNotifications_[i]);
        const auto found = name ? beyond_.find(*name) : beyond_.end();
        if (found != beyond_.end() && found->second.deleted) {
            deletedNew += i < unread_ ? 1 : 0;
            continue;
        }
        if (found != beyond_.end() && found->second.changed && collapsedList_) {
            const auto key = collapsedKeyOf(*rawNotifications_[i]);
            if (!key.empty() && found->second.marked) {
                collapsedList_->insert(key);
            } else if (!key.empty()) {
                collapsedList_->erase(key);
            }
        }
        rawNotifications_[kept++] = std::move(rawNotifications_[i]);
    }
    rawNotifications_.resize(kept);
    unread_ -= deletedNew;
}

std::size_t VTSorter::rowsOf(const Groups& groups)
{
    std::size_t rows = 0;
    for (const auto& group : groups) {
        rows += 1 + (group->isCollapsed() ? 0 : group->count());
    }
    return rows;
}

void VTSorter::publish(Loaded loaded)
{
    if (loaded.generation != generation_.load()) {
        return;
    }
    if (loaded.firstScreen) {
        publishFirstScreen(std::move(loaded));
        return;
    }
    if (phase_ != Phase::Loading && phase_ != Phase::FirstScreen) {
        return;
    }
    const bool changedOnFirstScreen = phase_ == Phase::FirstScreen && (collapsedChangedOnFirstScreen_ ||
                                                                       !deletedOnFirstScreen_.empty());
    const std::size_t shownEnd = firstScreenEnd_ - deletedOnFirstScreen_.size();
    if (phase_ == Phase::FirstScreen) {
        loaded.collapsedList = std::move(collapsedList_); // as read, with what the user changed since
    }
    phase_ = Phase::Shown;
    accounted_ = true;
    readThroughAppend_ = loaded.appendCount;
    takenAfterRead_ = 0;
    hold(std::move(loaded));

    // The first screen's records are the first of the whole list, at the same positions, so its deletions
    // apply again in the order they were made.
    for (const std::int32_t index : std::exchange(deletedOnFirstScreen_, {})) {
        deleteNotificationAtIndex(index);
    }
    carryOverBeyond(shownEnd);
    beyond_.clear();
    deletedBeyond_ = 0;
    collapsedChangedOnFirstScreen_ = false;
    const auto arrived = std::exchange(arrivedDuringLoad_, {});
    for (const auto& [appendNumber, record] : arrived) {
        insertReceived(record, appendNumber);
    }
    if (!arrived.empty() || changedOnFirstScreen) {
        notifications_ = sortNotifications({rawNotifications_, unread_, collapsedList()});
    }
    doneSorting();
}

void VTSorter::publishFirstScreen(Loaded loaded)
{
    if (phase_ != Phase::Loading) {
        return;
    }
    phase_ = Phase::FirstScreen;
    countBeingLoaded_ = loaded.count;
    firstScreenEnd_ = loaded.records.size();
    beyond_ = std::move(loaded.beyond);
    deletedBeyond_ = 0;
    hold(std::move(loaded));
    doneSorting();
}

void VTSorter::hold(Loaded loaded)
{
    rawNotifications_ = std::move(loaded.records);
    unread_ = loaded.unread;
    moreToShow_ = loaded.moreToShow;
    collapsedList_ = std::move(loaded.collapsedList);
    notifications_ = std::move(loaded.groups);
    groupsAsSorted_ = true;
}

void VTSorter::sortOnMainThread()
{
    busy_ = true;
    notifications_ = sortHeld();
    groupsAsSorted_ = true;
    scheduleDoneSorting();
}

void VTSorter::scheduleDoneSorting()
{
    main_.performBlock([weak = weak_from_this()] {
        if (const auto self = weak.lock()) {
            self->doneSorting();
        }
    });
}

void VTSorter::doneSorting()
{
    doneSortingNoReload();
    if (window_) {
        window_->reloadContent();
    }
}

void VTSorter::doneSortingNoReload()
{
    busy_ = false;
    if (!window_) {
        return;
    }
    window_->finishedSorting();
    window_->setCount(count());
    window_->setNoNotifications(count() == 0 && !moreToShow_);
}

// --- Records handed in ---

void VTSorter::receivedNotification(const std::shared_ptr<NSDictionary>& record)
{
    if (!record) {
        return;
    }
    const std::uint64_t appendNumber = PLWriter::appendNumberBeingHandedOver();
    switch (phase_) {
    case Phase::Loading:
    case Phase::FirstScreen:
        arrivedDuringLoad_.emplace_back(appendNumber, record);
        return;
    case Phase::Flushed:
        return;
    case Phase::Shown:
        if (takeReceived(appendNumber)) {
            received_.push_back(record);
            listReceivedOnNextPass();
        }
        return;
    }
}

void VTSorter::listReceivedOnNextPass()
{
    if (std::exchange(receivedSortQueued_, true)) {
        return;
    }
    main_.performBlock([weak = weak_from_this()] {
        const auto self = weak.lock();
        if (self && std::exchange(self->receivedSortQueued_, false) && self->phase_ == Phase::Shown &&
            !self->received_.empty()) {
            self->busy_ = true;
            self->listReceived();
            self->scheduleDoneSorting();
        }
    });
}

void VTSorter::listReceived()
{
    const std::size_t arrived = received_.size();
    rawNotifications_.insert(rawNotifications_.begin(), received_.rbegin(), received_.rend());
    received_.clear();
    unread_ += static_cast<unsigned>(arrived);
    if (!groupsAsSorted_) {
        notifications_ = sortNotifications({rawNotifications_, unread_, collapsedList()});
        groupsAsSorted_ = true;
        return;
    }
    // Every entry held moves down by the number that arrived; only the new ones are sorted.
    for (const auto& group : notifications_) {
        for (const auto& entry : group->notifications()) {
            entry->setIndex(entry->index() + static_cast<std::int32_t>(arrived));
        }
    }
    const Records newest(rawNotifications_.begin(), rawNotifications_.begin() + static_cast<std::ptrdiff_t>(arrived));
    mergeNewest(sortNotifications({newest, unread_, collapsedList()}), notifications_);
}

bool VTSorter::takeReceived(std::uint64_t appendNumber)
{
    if (appendNumber != 0) {
        if (appendNumber <= readThroughAppend_) {
            return false; // it was in the file the load read
        }
        ++takenAfterRead_;
    }
    return true;
}

bool VTSorter::insertReceived(const std::shared_ptr<NSDictionary>& record, std::uint64_t appendNumber)
{
    if (!takeReceived(appendNumber)) {
        return false;
    }
    rawNotifications_.insert(rawNotifications_.begin(), record);
    ++unread_;
    return true;
}

// --- Closing and clearing ---

void VTSorter::purge()
{
    busy_ = true;
    ++generation_;
    if (!received_.empty()) {
        listReceived(); // counted as taken from the new-notifications file, so written back with the rest
    }
    if (accounted_) {
        Closing closing{rawNotifications_, moreToShow_ && phase_ == Phase::Shown, readThroughAppend_,
                        takenAfterRead_, collapsedList_};
        if (closing.readOldNotifications) {
            moreToShow_ = false; // the close holds them now, so a second purge does not add them again
        }
        // The rewrite of a long log takes far longer than a frame: it runs on a job thread, holding the
        // store's lock, before any later load, deletion or clear (each waits for it).
        PLWriter::changeLogLater([closing = std::move(closing)]() mutable { writeBack(std::move(closing)); });
    }
    busy_ = false;
}

void VTSorter::writeBack(Closing closing)
{
    if (closing.readOldNotifications) {
        appendRecords(closing.records, readLog(PLWriter::kOldNotificationsPath));
    }
    trimToItemsToKeep(closing.records);
    // The old file first, and the new one only once the old one holds the shown records.
    const bool oldWritten = !PLWriter::replaceOldNotifications(closing.records);
    if (oldWritten) {
        keepUnaccountedNewNotifications(closing.readThroughAppend, closing.takenAfterRead);
    }
    if (closing.collapsedList) {
        writeCollapsedList(*closing.collapsedList);
    }
    closing.records.clear();
    HeapMemory::returnFreedMemoryToTheSystem(); // the rewrite's buffers, as the release of the list does
}

void VTSorter::trimToItemsToKeep(Records& records)
{
    const std::int64_t limit = PLWriter::itemsToKeep();
    if (limit >= 0 && static_cast<std::int64_t>(records.size()) > limit) {
        records.resize(static_cast<std::size_t>(limit));
    }
}

void VTSorter::keepUnaccountedNewNotifications(std::uint64_t readThroughAppend, std::uint64_t takenAfterRead)
{
    const std::uint64_t appended = PLWriter::appendCount() - readThroughAppend;
    const std::uint64_t unaccounted = appended > takenAfterRead ? appended - takenAfterRead : 0;
    // A failure leaves the file as it was (the store logs it): its records stay, none is lost.
    (void)PLWriter::keepNewestNewNotifications(static_cast<std::size_t>(unaccounted));
}

void VTSorter::flush()
{
    ++generation_;
    phase_ = Phase::Flushed;
    // Releasing a long list (every entry, group and record) takes longer than a frame, so a job thread
    // does it; nothing in the lists is tied to the main thread.
    if (!rawNotifications_.empty() || !notifications_.empty()) {
        NSThread::detachNewThread(
            [records = std::exchange(rawNotifications_, {}), groups = std::exchange(notifications_, {})]() mutable {
                records.clear();
                groups.clear();
                // What a long list took goes back to the system, so the shell does not grow with each opening.
                HeapMemory::returnFreedMemoryToTheSystem();
            });
    }
    collapsedList_.reset();
    arrivedDuringLoad_.clear();
    received_.clear();
    deletedOnFirstScreen_.clear();
    beyond_.clear();
    deletedBeyond_ = 0;
    unread_ = 0;
}

void VTSorter::clear()
{
    VT_ASSERT_MAIN_THREAD();
    flush();
    PLWriter::waitForLaterChanges(); // a close handed in before is written first, then cleared with the rest
    const NSRecursiveLockHolder hold(PLWriter::storeLock());
    if (!accounted_) {
        // Cleared while loading: everything logged so far goes.
        accounted_ = true;
        readThroughAppend_ = PLWriter::appendCount();
        takenAfterRead_ = 0;
    }
    keepUnaccountedNewNotifications(readThroughAppend_, takenAfterRead_);
    (void)PLWriter::replaceOldNotifications({}); // a failure is logged by the store; the tweak reports nothing
    (void)NSFileManager::defaultManager().removeItemAtPath(kCollapsedPath);
}

// --- Show older ---

void VTSorter::loadAll()
{
    if (phase_ != Phase::Shown) {
        return;
    }
    busy_ = true;
    if (window_) {
        window_->reloadContent();
    }
    moreToShow_ = false;
    Records old;
    {
        const NSRecursiveLockHolder hold(PLWriter::storeLock());
        old = readLog(PLWriter::kOldNotificationsPath);
    }
    appendRecords(rawNotifications_, std::move(old));
    reloadNotifications(false);
    if (window_) {
        window_->reloadContent();
    }
}

// --- Collapsed state ---

void VTSorter::collapseGroup(VTNotificationGroup& group)
{
    group.setCollapsed(true);
    groupsAsSorted_ = false;
    noteFoldedOnFirstScreen(group, true);
    if (!collapsedList_) {
        return;
    }
    for (const auto& entry : group.notifications()) {
        if (const auto key = entry->collapsedKey(); !key.empty()) {
            collapsedList_->insert(key);
        }
    }
}

void VTSorter::expandGroup(VTNotificationGroup& group)
{
    group.setCollapsed(false);
    groupsAsSorted_ = false;
    noteFoldedOnFirstScreen(group, false);
    if (!collapsedList_) {
        return;
    }
    for (const auto& entry : group.notifications()) {
        collapsedList_->erase(entry->collapsedKey());
    }
}

void VTSorter::noteFoldedOnFirstScreen(const VTNotificationGroup& group, bool collapsed)
{
    if (phase_ != Phase::FirstScreen) {
        return;
    }
    collapsedChangedOnFirstScreen_ = true;
    if (const auto found = group.appName() ? beyond_.find(*group.appName()) : beyond_.end(); found != beyond_.end()) {
        found->second.marked = collapsed;
        found->second.changed = true;
    }
}

void VTSorter::collapse()
{
    VT_ASSERT_MAIN_THREAD();
    for (const auto& group : notifications_) {
        collapseGroup(*group);
    }
}

void VTSorter::expand()
{
    VT_ASSERT_MAIN_THREAD();
    for (const auto& group : notifications_) {
        expandGroup(*group);
    }
}

// --- Positions and deletion ---

std::shared_ptr<VTNotificationGroup> VTSorter::groupAt(int section) const
{
    return section >= 0 && static_cast<std::size_t>(section) < notifications_.size() ? notifications_[section]
                                                                                     : nullptr;
}

bool VTSorter::isShowOlderSection(int section) const
{
    return moreToShow_ && static_cast<std::size_t>(section) == notifications_.size();
}

const std::shared_ptr<VTNotification>* VTSorter::entryAtIndexPath(const NSIndexPath& path) const
{
    const int section = path.section();
    if (section < 0 || static_cast<std::size_t>(section) >= notifications_.size()) {
        return nullptr;
    }
    const auto& entries = notifications_[section]->notifications();
    if (path.row() < 1 || static_cast<std::size_t>(path.row()) > entries.size()) {
        return nullptr;
    }
    return &entries[path.row() - 1];
}

std::shared_ptr<VTNotification> VTSorter::notificationForIndexPath(const NSIndexPath& path) const
{
    const auto* entry = entryAtIndexPath(path);
    return entry ? *entry : nullptr;
}

std::optional<std::int32_t> VTSorter::indexOfRawNotificationForIndexPath(const NSIndexPath& path) const
{
    const auto entry = notificationForIndexPath(path);
    return entry ? std::optional<std::int32_t>(entry->index()) : std::nullopt;
}

void VTSorter::deleteNotificationAtIndex(std::int32_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= rawNotifications_.size()) {
        return;
    }
    if (static_cast<unsigned>(index) < unread_) {
        --unread_;
    }
    rawNotifications_.erase(rawNotifications_.begin() + index);
    if (phase_ == Phase::FirstScreen) {
        deletedOnFirstScreen_.push_back(index);
    }
}

void VTSorter::deleteGroupEntries(const VTNotificationGroup& group)
{
    if (phase_ == Phase::FirstScreen && group.appName()) {
        if (const auto found = beyond_.find(*group.appName()); found != beyond_.end() && !found->second.deleted) {
            found->second.deleted = true;
            deletedBeyond_ += found->second.count;
        }
    }
    // Last to first: the entries are in ascending position order, so the positions still to delete stay valid.
    const auto& entries = group.notifications();
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        deleteNotificationAtIndex((*entry)->index());
    }
}

void VTSorter::deleteRow(const NSIndexPath& path)
{
    const auto group = groupAt(path.section());
    if (!group) {
        return;
    }
    if (path.row() == 0) {
        deleteGroupEntries(*group);
    } else if (const auto index = indexOfRawNotificationForIndexPath(path)) {
        deleteNotificationAtIndex(*index);
    } else {
        return;
    }
    reloadNotifications(false);
}

// --- The table ---

int VTSorter::numberOfSectionsInTableView(UITableView&)
{
    VT_ASSERT_MAIN_THREAD();
    return static_cast<int>(notifications_.size()) + (moreToShow_ ? 1 : 0);
}

int VTSorter::numberOfRowsInSection(UITableView&, int section)
{
    VT_ASSERT_MAIN_THREAD();
    if (isShowOlderSection(section)) {
        return 1;
    }
    if (section < 0 || static_cast<std::size_t>(section) >= notifications_.size()) {
        return 0;
    }
    const auto& group = *notifications_[section];
    return group.isCollapsed() ? 1 : 1 + static_cast<int>(group.count());
}

double VTSorter::heightForRowAtIndexPath(UITableView&, const NSIndexPath& path)
{
    VT_ASSERT_MAIN_THREAD();
    if (isShowOlderSection(path.section())) {
        return kShowOlderRowHeight;
    }
    if (path.row() == 0) {
        return PLWriter::customIcons() ? kHeaderRowHeightWithCustomIcons : kHeaderRowHeightWithShellIcons;
    }
    const auto entry = notificationForIndexPath(path);
    if (!entry) {
        return 0;
    }
    return sizeWithFontConstrainedToSizeLineBreakMode(entry->content(), UIFont::systemFontOfSize(kEntryFontSize),
                                                      CGSizeMake(entryTextWidth(), kEntryHeightBound),
                                                      UILineBreakModeWordWrap)
               .height +
        kEntryRowPadding;
}

double VTSorter::estimatedHeightForRowAtIndexPath(UITableView& table, const NSIndexPath& path)
{
    if (isShowOlderSection(path.section()) || path.row() == 0) {
        return heightForRowAtIndexPath(table, path);
    }
    const auto* entry = entryAtIndexPath(path);
    return entry ? estimatedTextHeight((*entry)->content(), entryTextWidth()) + kEntryRowPadding : 0;
}

double VTSorter::entryTextWidth() const { return (window_ ? window_->listWidth() : 0) - kEntryTextInset; }

std::shared_ptr<UITableViewCell> VTSorter::cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path)
{
    VT_ASSERT_MAIN_THREAD();
    if (isShowOlderSection(path.section())) {
        return moreCell(table);
    }
    const auto group = groupAt(path.section());
    if (!group) {
        return nullptr;
    }
    if (path.row() == 0) {
        return headerCell(table, *group);
    }
    const auto entry = notificationForIndexPath(path);
    return entry ? entryCell(table, *entry) : nullptr;
}

std::shared_ptr<UITableViewCell> VTSorter::headerCell(UITableView& table, VTNotificationGroup& group)
{
    auto cell = dequeueOrMake<VTHeaderCell>(table, kHeaderCellIdentifier);
    cell->setCount(static_cast<std::int32_t>(entriesCountedBy(group)));
    cell->title()->setText(group.appName().value_or(""));
    if (PLWriter::customIcons()) {
        const id name = group.appName() ? NSString::stringWithString(*group.appName()) : nullptr;
        cell->icon()->setImage(UIApplicationVantle::customIconForApplication(name));
    } else {
        cell->icon()->setImage(group.icon());
    }
    return cell;
}

std::shared_ptr<UITableViewCell> VTSorter::entryCell(UITableView& table, const VTNotification& entry)
{
    auto cell = dequeueOrMake<VTNotificationCell>(table, kEntryCellIdentifier);
    cell->notification()->setText(entry.content());
    cell->date()->setText(formatter_.stringFromDate(entry.date()));
    cell->setNewNotification(entry.isNewNotification());
    return cell;
}

std::shared_ptr<UITableViewCell> VTSorter::moreCell(UITableView& table)
{
    auto cell = dequeueOrMake<VTShowMoreCell>(table, kMoreCellIdentifier);
    // A reused button answers only the manager that filled it last (one of an earlier opening is gone).
    cell->button()->removeTargetActionForControlEvents(nullptr, UIControlEventTouchUpInside);
    cell->button()->addTargetActionForControlEvents(
        this,
        [weak = weak_from_this()] {
            if (const auto self = weak.lock()) {
                self->loadAll();
            }
        },
        UIControlEventTouchUpInside);
    return cell;
}

bool VTSorter::canEditRowAtIndexPath(UITableView&, const NSIndexPath& path)
{
    VT_ASSERT_MAIN_THREAD();
    return !isShowOlderSection(path.section());
}

bool VTSorter::canMoveRowAtIndexPath(UITableView&, const NSIndexPath&) { return false; }

void VTSorter::commitEditingStyleForRowAtIndexPath(UITableView&, UITableViewCellEditingStyle, const NSIndexPath& path)
{
    VT_ASSERT_MAIN_THREAD();
    deleteRow(path);
}

void VTSorter::didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path)
{
    VT_ASSERT_MAIN_THREAD();
    table.deselectRowAtIndexPath(path, true);
    if (isShowOlderSection(path.section())) {
        return;
    }
    const auto group = groupAt(path.section());
    if (!group) {
        return;
    }
    if (path.row() == 0) {
        group->isCollapsed() ? expandGroup(*group) : collapseGroup(*group);
        if (window_) {
            window_->reloadContent();
        }
        return;
    }
    std::optional<std::string> target;
    if (group->appName()) {
        target = UIApplicationVantle::redirection(*group->appName());
    }
    if (!target && group->bundleID()) {
        target = UIApplicationVantle::redirection(*group->bundleID());
    }
    if (!target) {
        target = group->bundleID();
    }
    if (target && window_ && window_->controller()) {
        window_->controller()->launchAppWithIdentifier(*target);
    }
    switch (PLWriter::autoDelete()) {
    case 1:
        deleteRow(path);
        break;
    case 2:
        deleteRow(NSIndexPath(0, path.section()));
        break;
    default:
        break;
    }
}

// --- Helpers of the strategies ---

std::shared_ptr<VTNotification> VTSorter::entryAt(const SortInput& input, std::size_t i)
{
    const NSDictionary& record = *input.records[i];
    return std::make_shared<VTNotification>(as<NSString>(NSDictionaryVantle::body(record)),
        static_cast<std::int32_t>(i), as<NSDate>(NSDictionaryVantle::date(record)), i < input.unread);
}

std::optional<std::string> VTSorter::applicationNameOf(const NSDictionary& record)
{
    return textOf(NSDictionaryVantle::application(record));
}

std::optional<std::string> VTSorter::bundleIdentifierOf(const NSDictionary& record)
{
    return textOf(NSDictionaryVantle::bundleIdentifier(record));
}

std::shared_ptr<VTNotificationGroup> VTSorter::groupFor(const NSDictionary& record)
{
    return std::make_shared<VTNotificationGroup>(applicationNameOf(record), bundleIdentifierOf(record));
}

bool VTSorter::belongsTo(const NSDictionary& record, const VTNotificationGroup& group)
{
    const auto name = applicationNameOf(record);
    return name && group.appName() && *name == *group.appName();
}

bool VTSorter::isMarkedCollapsed(const SortInput& input, const VTNotification& entry)
{
    if (!input.collapsedList || input.collapsedList->empty()) {
        return false;
    }
    const auto key = entry.collapsedKey();
    return !key.empty() && input.collapsedList->contains(key);
}

void VTSorter::applyCollapsedRule(const SortInput& input, VTNotificationGroup& group, const VTNotification& entry)
{
    if (!group.isCollapsed()) {
        return; // an expanded group stays expanded whatever the entry's mark
    }
    group.setCollapsed(isMarkedCollapsed(input, entry));
}

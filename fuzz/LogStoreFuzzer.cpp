// Sequences of log-store operations on a scratch device root, checked against a model of the two log files.
// Each input is a program of one-byte operations with their argument bytes:
//   append <app>         PLWriter::write of a new record (with an extra key the log must not keep)
//   delete <app>         PLWriter::deleteNotificationsForApplication
//   close                what the panel does on closing: under the store's lock, the new records go in
//                        front of the old ones and the new-notifications file is removed
//   damage <file> <how>  the file is cut short or replaced by bytes of the input
//   together <n>         n appends on job threads at once (their order among themselves is free)
//   window               the panel opens or closes (a delete while it is open changes nothing)
//   plugin <shape>       a plug-in's message, as XML through the messaging centre's decoder to the store's
//                        listener; the shape picks each field's value or type (or leaves it out). A record
//                        with a text "Application" and "Body" and a date "Date" is logged, one without any of
//                        them is not, and a record that cannot be written never holds up those after it
//   check                both files and the set-aside files are compared with the model
// A final check follows every program. Disagreement (a record lost, duplicated, out of order, a damaged
// file destroyed instead of set aside, a temporary file left behind) prints the program and aborts.
#include "CPMessageDecoder.h"
#include "CrossProcessChannels.h"
#include "FileSystemCalls.h"
#include "FuzzDeviceRoot.h"
#include "FuzzJobThreads.h"
#include "JobThreadTracker.h"
#include "NSArray.h"
#include "NSDate.h"
#include "NSDictionary-Vantle.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSPropertyListSerialization.h"
#include "NSRecursiveLockHolder.h"
#include "NSRunLoop.h"
#include "NSString.h"
#include "NSThread.h"
#include "PLWriter.h"
#include "VTWindowLink.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

const char* const kNew = PLWriter::kNewNotificationsPath;
const char* const kOld = PLWriter::kOldNotificationsPath;
constexpr std::size_t kMaxOperations = 24;

// Bundle identifiers the programs choose from: two applications, one differing only in case, a name with a
// space, and none at all (a record without one; a delete of "").
const char* const kApplications[] = {"com.example.a", "com.example.b", "com.example.A", "com.example.a ", ""};
constexpr std::size_t kApplicationCount = std::size(kApplications);

// The real system calls without the flushes: the files live in memory, and a flush would only cost time.
class UnflushedCalls final : public FileSystemCalls {
public:
    int fsync(int) override { return 0; }
};

class Window final : public VTWindowLink {
public:
    void addNotification(const std::shared_ptr<NSDictionary>&) override {}
    bool isWindowShown() const override { return shown.load(); }
    std::atomic<bool> shown{false};
};

// The bytes of a program, read as operations and arguments; past the end every byte reads as 0.
class Program {
public:
    Program(const std::uint8_t* data, std::size_t size) : bytes_(reinterpret_cast<const char*>(data), size) {}
    bool atEnd() const { return position_ >= bytes_.size(); }
    std::uint8_t next() { return atEnd() ? 0 : static_cast<std::uint8_t>(bytes_[position_++]); }
    std::string_view take(std::size_t count)
    {
        const auto taken = bytes_.substr(std::min(position_, bytes_.size()), count);
        position_ += taken.size();
        return taken;
    }

private:
    std::string_view bytes_;
    std::size_t position_ = 0;
};

// A record of the log as the model knows it: how it reads back, and its bundle identifier.
struct Entry {
    std::string text;
    std::optional<std::string> bundleIdentifier;
    bool operator==(const Entry&) const = default;
};

Entry entryOf(const id& element)
{
    const auto dictionary = as<NSDictionary>(element);
    return {element ? element->description() : "(null)",
            dictionary ? dictionary->stringForKey("Bundle Identifier") : std::nullopt};
}

// What one log file should be.
struct FileModel {
    enum class State { Missing, List, Unreadable } state = State::Missing;
    std::vector<Entry> entries;
    std::string bytes; // of an unreadable file

    bool operator==(const FileModel&) const = default;
    std::string describe() const
    {
        switch (state) {
        case State::Missing:
            return "missing";
        case State::Unreadable:
            return "unreadable (" + std::to_string(bytes.size()) + " bytes)";
        case State::List:
            break;
        }
        std::string text = "list of " + std::to_string(entries.size()) + ":";
        for (const Entry& entry : entries) {
            text += "\n    " + entry.text;
        }
        return text;
    }
};

std::string fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class StoreRun {
public:
    StoreRun(const FuzzDeviceRoot& root, Window& window) : root_(root), window_(window) {}

    void run(Program& program)
    {
        for (std::size_t count = 0; !program.atEnd() && count < kMaxOperations; ++count) {
            step(program);
        }
        check();
    }

private:
    void step(Program& program)
    {
        switch (program.next() % 8) {
        case 0:
            append(kApplications[program.next() % kApplicationCount]);
            break;
        case 1:
            remove(kApplications[program.next() % kApplicationCount]);
            break;
        case 2:
            close();
            break;
        case 3:
            damage(program);
            break;
        case 4:
            appendTogether(2 + program.next() % 3);
            break;
        case 5:
            window_.shown = !window_.shown;
            log("window " + std::string(window_.shown ? "open" : "closed"));
            break;
        case 6:
            pluginMessage(program.next());
            break;
        default:
            check();
            break;
        }
    }

    std::shared_ptr<NSDictionary> newRecord(const std::string& bundleIdentifier)
    {
        NSDictionary::Entries plain{
            {"Application", NSString::stringWithString("App " + bundleIdentifier)},
            {"Body", NSString::stringWithString("#" + std::to_string(++records_))},
            {"Date", NSDate::dateWithTimeIntervalSinceReferenceDate(800000000.0 + records_)},
        };
        if (!bundleIdentifier.empty()) {
            plain.emplace("Bundle Identifier", NSString::stringWithString(bundleIdentifier));
        }
        return NSDictionary::dictionaryWithEntries(std::move(plain));
    }

    static std::shared_ptr<NSDictionary> withExtraKey(const NSDictionary& plain)
    {
        auto entries = plain.entries();
        entries.emplace("Sound", NSString::stringWithString("not kept"));
        return NSDictionary::dictionaryWithEntries(std::move(entries));
    }

    // An unreadable file is moved aside before its path is used again.
    void setAsideIfUnreadable(FileModel& file)
    {
        if (file.state == FileModel::State::Unreadable) {
            setAside_.push_back(file.bytes);
            file = FileModel{};
        }
    }

    void prepend(const Entry& entry)
    {
        setAsideIfUnreadable(new_);
        new_.state = FileModel::State::List;
        new_.entries.insert(new_.entries.begin(), entry);
    }

    void append(const std::string& bundleIdentifier)
    {
        const auto plain = newRecord(bundleIdentifier);
        log("append " + plain->description());
        PLWriter::write(withExtraKey(*plain));
        drainMainLoop();
        prepend(entryOf(plain));
    }

    void appendTogether(std::size_t count)
    {
        std::vector<Entry> expected;
        for (std::size_t index = 0; index < count; ++index) {
            const auto plain = newRecord(kApplications[index % kApplicationCount]);
            expected.push_back(entryOf(plain));
            NSThread::detachNewThread([record = withExtraKey(*plain)] { PLWriter::write(record); });
        }
        log("append " + std::to_string(count) + " together");
        JobThreadTracker::waitForAll();
        drainMainLoop();
        // Whichever order the writers took the lock in, each record is there once, newest first.
        const FileModel found = readFile(kNew);
        if (found.state != FileModel::State::List || found.entries.size() < count) {
            fail("records appended together are all in the new file", new_, found);
        }
        const std::vector<Entry> newest(found.entries.begin(), found.entries.begin() + static_cast<long>(count));
        if (!std::is_permutation(newest.begin(), newest.end(), expected.begin(), expected.end())) {
            fail("records appended together are all in the new file", new_, found);
        }
        for (auto entry = newest.rbegin(); entry != newest.rend(); ++entry) {
            prepend(*entry);
        }
    }

    // The user information of a plug-in's message in XML; each two bits of the shape choose one field.
    std::string pluginXML(std::uint8_t shape)
    {
        const std::string body = "#" + std::to_string(++records_);
        const char* const applications[] = {"<string>Plug</string>", "", "<integer>7</integer>",
                                            "<string>&lt;Plug&amp;In&gt; \"'</string>"};
        const std::string bodies[] = {"<string>" + body + "</string>", "", "<data>AAEC</data>",
                                      "<string>" + body + " \u2603 &#x1F600;</string>"};
        const char* const dates[] = {"<date>2026-12-07T20:33:35Z</date>", "<date>2100-01-01T00:00:00Z</date>",
                                     "<string>2026-12-07</string>", ""};
        const char* const identifiers[] = {"", "<string>com.example.a</string>", "<real>1.5</real>",
                                           "<string>com.example.A</string>"};
        auto field = [](const char* key, const std::string& value) {
            return value.empty() ? std::string() : "<key>" + std::string(key) + "</key>" + value;
        };
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>" +
               field("Application", applications[shape & 3]) + field("Body", bodies[(shape >> 2) & 3]) +
               field("Date", dates[(shape >> 4) & 3]) + field("Bundle Identifier", identifiers[(shape >> 6) & 3]) +
               field("Sound", "<string>not kept</string>") + "</dict></plist>";
    }

    // How the plain form of a record reads back once written; none when it cannot be written.
    static std::optional<Entry> asWritten(const NSDictionary& record)
    {
        const auto plain = NSArray::arrayWithObjects({NSDictionaryVantle::simpleNotification(record)});
        const auto written = NSPropertyListSerialization::dataWithPropertyList(plain);
        const auto again = written ? NSPropertyListSerialization::propertyListWithData(written.value()) : Result<id>(written.error());
        const auto list = again ? as<NSArray>(again.value()) : nullptr;
        return list && list->count() == 1 ? std::optional<Entry>(entryOf(list->objectAtIndex(0))) : std::nullopt;
    }

    void pluginMessage(std::uint8_t shape)
    {
        const std::string xml = pluginXML(shape);
        log("plugin " + xml);
        const auto decoded = CPMessageDecoder::decode(PLWriter::kNewNotificationMessage, xml);
        if (!decoded) {
            fail(("a plug-in's message decodes: " + decoded.error().reason()).c_str(), new_, new_);
        }
        const NSDictionary& record = *decoded.value();
        PLWriter::sharedListener()->receiveNotificationNamed(PLWriter::kNewNotificationMessage, decoded.value());
        JobThreadTracker::waitForAll();
        drainMainLoop();

        const bool complete = as<NSString>(record.objectForKey("Application")) && as<NSString>(record.objectForKey("Body")) &&
                              as<NSDate>(record.objectForKey("Date"));
        const bool incomplete = !record.objectForKey("Application") || !record.objectForKey("Body") || !record.objectForKey("Date");
        const FileModel found = readFile(kNew);
        const auto written = asWritten(record);
        const bool logged = written && found.state == FileModel::State::List && !found.entries.empty() &&
                            found.entries.front() == *written &&
                            (new_.state != FileModel::State::List || found.entries.size() == new_.entries.size() + 1);
        if (incomplete && logged) {
            fail("a plug-in's record without \"Application\", \"Body\" or \"Date\" is not logged", new_, found);
        }
        if (complete && written && !logged) {
            fail("a plug-in's complete record is logged", new_, found);
        }
        if (logged) {
            prepend(*written);
        }
    }

    void remove(const std::string& bundleIdentifier)
    {
        log("delete \"" + bundleIdentifier + "\"");
        PLWriter::deleteNotificationsForApplication(bundleIdentifier);
        drainMainLoop();
        if (window_.shown) {
            return;
        }
        for (FileModel* file : {&new_, &old_}) {
            setAsideIfUnreadable(*file);
            std::erase_if(file->entries, [&](const Entry& entry) { return entry.bundleIdentifier == bundleIdentifier; });
            if (file->entries.empty()) {
                *file = FileModel{};
            }
        }
    }

    // The panel's close as the list manager makes it: every record it shows goes to the old file, new first,
    // and the new file goes.
    void close()
    {
        log("close");
        auto& files = NSFileManager::defaultManager();
        const NSRecursiveLockHolder hold(PLWriter::storeLock());
        std::vector<id> kept;
        for (const char* path : {kNew, kOld}) {
            const auto read = files.readPropertyListAtPath(path);
            if (const auto list = read.valueAs<NSArray>()) {
                kept.insert(kept.end(), list->objects().begin(), list->objects().end());
            } else if (!read.isMissing() && !files.moveAsideUnreadableFileAtPath(path).ok()) {
                fail("an unreadable file can be set aside", new_, readFile(path));
            }
        }
        if (kept.empty()) {
            (void)files.removeItemAtPath(kOld); // missing already, or an empty list
        } else if (files.writePropertyList(NSArray::arrayWithObjects(kept), kOld)) {
            fail("the old file can be written", old_, readFile(kOld));
        }
        (void)files.removeItemAtPath(kNew); // the records are in the old file now; a missing file is fine

        setAsideIfUnreadable(new_);
        setAsideIfUnreadable(old_);
        new_.entries.insert(new_.entries.end(), old_.entries.begin(), old_.entries.end());
        old_ = new_.entries.empty() ? FileModel{} : FileModel{FileModel::State::List, new_.entries, {}};
        new_ = FileModel{};
    }

    // Cuts the file short, or puts bytes of the input in its place.
    void damage(Program& program)
    {
        const bool isNew = program.next() % 2 == 0;
        const char* path = isNew ? kNew : kOld;
        FileModel& model = isNew ? new_ : old_;
        const std::filesystem::path host = root_.hostPath(path);
        const std::uint8_t how = program.next();
        const std::string previous = fileBytes(host);
        std::string bytes;
        if (how % 2 == 0) {
            bytes = previous.substr(0, previous.size() * (how / 2) / 128);
        } else {
            bytes = std::string(program.take(how / 2 % 64));
        }
        log("damage " + std::string(path) + ": " + std::to_string(bytes.size()) + " of " +
            std::to_string(previous.size()) + " bytes");
        root_.writeFile(path, bytes);

        const auto read = NSFileManager::defaultManager().readPropertyListAtPath(path);
        if (const auto list = read.valueAs<NSArray>()) {
            // Still a list: the log keeps its elements as a rewrite leaves them, or, when they cannot be
            // written at all, the damage is undone (a failed write is not what is checked here).
            std::shared_ptr<NSArray> rewritten;
            if (const auto written = NSPropertyListSerialization::dataWithPropertyList(list)) {
                if (const auto again = NSPropertyListSerialization::propertyListWithData(written.value())) {
                    rewritten = as<NSArray>(again.value());
                }
            }
            if (!rewritten) {
                undoDamage(path, model, previous);
                return;
            }
            model = FileModel{FileModel::State::List, {}, {}};
            for (const id& element : rewritten->objects()) {
                model.entries.push_back(entryOf(element));
            }
        } else {
            model = FileModel{FileModel::State::Unreadable, {}, bytes};
        }
    }

    void undoDamage(const char* path, const FileModel& model, const std::string& previous)
    {
        log("  (undone)");
        if (model.state == FileModel::State::Missing) {
            root_.remove(path);
        } else {
            root_.writeFile(path, previous);
        }
    }

    FileModel readFile(const char* path) const
    {
        const auto read = NSFileManager::defaultManager().readPropertyListAtPath(path);
        if (read.isMissing()) {
            return {};
        }
        const auto list = read.valueAs<NSArray>();
        if (!list) {
            return FileModel{FileModel::State::Unreadable, {}, fileBytes(root_.hostPath(path))};
        }
        FileModel file{FileModel::State::List, {}, {}};
        for (const id& element : list->objects()) {
            file.entries.push_back(entryOf(element));
        }
        return file;
    }

    void check()
    {
        log("check");
        if (const FileModel found = readFile(kNew); !(found == new_)) {
            fail("the new file holds what was appended, newest first", new_, found);
        }
        if (const FileModel found = readFile(kOld); !(found == old_)) {
            fail("the old file holds what was closed, less what was deleted", old_, found);
        }
        std::vector<std::string> setAside;
        for (const auto& entry : std::filesystem::directory_iterator(root_.hostPath(PLWriter::kLogFolder))) {
            const std::string name = entry.path().filename().string();
            if (name.find(".unreadable-") != std::string::npos) {
                setAside.push_back(fileBytes(entry.path()));
            } else if (name != "NewNotifications.plist" && name != "OldNotifications.plist") {
                fail(("nothing else is left in the log folder: " + name).c_str(), new_, new_);
            }
        }
        if (!std::is_permutation(setAside.begin(), setAside.end(), setAside_.begin(), setAside_.end())) {
            fail("every damaged file is set aside whole, once", new_, new_);
        }
    }

    static void drainMainLoop()
    {
        while (NSRunLoop::mainRunLoop().runOnce()) {
        }
    }

    void log(const std::string& line) { program_.push_back(line); }

    [[noreturn]] void fail(const char* promise, const FileModel& expected, const FileModel& found) const
    {
        std::fprintf(stderr, "broken promise: %s\nprogram:\n", promise);
        for (const std::string& line : program_) {
            std::fprintf(stderr, "  %s\n", line.c_str());
        }
        std::fprintf(stderr, "expected %s\nfound %s\n", expected.describe().c_str(), found.describe().c_str());
        std::abort();
    }

    const FuzzDeviceRoot& root_;
    Window& window_;
    FileModel new_;
    FileModel old_;
    std::vector<std::string> setAside_;
    std::vector<std::string> program_;
    int records_ = 0;
};

struct Environment {
    Environment()
    {
        CrossProcessChannels::useLoopback();
        NSFileManager::defaultManager().setFileSystemCalls(std::make_shared<UnflushedCalls>());
        VTWindowLink::setSharedLink(window);
    }
    FuzzDeviceRoot root;
    std::shared_ptr<Window> window = std::make_shared<Window>();
    // The files hold flat records, and a damaged one takes at most 63 bytes of the input, so no value read
    // here nests more than a few levels: 1 MiB is ample for the job threads.
    FuzzJobThreads threads{std::size_t{1} << 20};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Environment environment;
    environment.root.remove(PLWriter::kLogFolder);
    environment.root.createDirectory(PLWriter::kLogFolder);
    environment.window->shown = false;
    PLWriter::resetSettings();
    PLWriter::resetStore();

    Program program(data, size);
    StoreRun(environment.root, *environment.window).run(program);
    JobThreadTracker::waitForAll();
    environment.threads.joinAll();
    // What the store remembers of the files goes with the input, so that libFuzzer's leak check (made when an
    // input leaves more allocated than it found) does not run after every one.
    PLWriter::resetStore();
    return 0;
}

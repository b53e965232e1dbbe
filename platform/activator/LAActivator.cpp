#include "LAActivator.h"

#include "CFNotificationCenter.h"
#include "MutexLocker.h"
#include "NSDictionary.h"
#include "NSString.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>

namespace {

struct EventDescription {
    const char* name;
    const char* group;
    const char* title;
};

constexpr EventDescription kEvents[] = {
    {LAActivator::kStatusBarSwipeDown, "Status Bar", "Swipe Down"},
    {LAActivator::kStatusBarTapDouble, "Status Bar", "Double Tap"},
    {LAActivator::kStatusBarHold, "Status Bar", "Hold"},
    {LAActivator::kMenuPressSingle, "Home Button", "Single Press"},
    {LAActivator::kMenuPressDouble, "Home Button", "Double Press"},
    {LAActivator::kMenuHoldShort, "Home Button", "Short Hold"},
    {LAActivator::kLockPressSingle, "Sleep/Wake Button", "Single Press"},
    {LAActivator::kLockPressDouble, "Sleep/Wake Button", "Double Press"},
    {LAActivator::kLockHoldShort, "Sleep/Wake Button", "Short Hold"},
    {LAActivator::kSpringBoardPinch, "Home Screen", "Pinch"},
    {LAActivator::kSpringBoardSpread, "Home Screen", "Spread"},
    {LAActivator::kMotionShake, "Motion", "Shake Device"},
};

const EventDescription* describe(const std::string& eventName)
{
    const auto found = std::find_if(std::begin(kEvents), std::end(kEvents),
                                    [&](const EventDescription& event) { return eventName == event.name; });
    return found == std::end(kEvents) ? nullptr : found;
}

// What the assignments file holds: its assignments, or nothing when the file exists but is not a dictionary
// of assignments (the reason was written to stderr).
using FileAssignments = std::optional<std::map<std::string, std::string>>;

FileAssignments readAssignmentsFile(const NSFileManager& files)
{
    const PropertyListRead read = files.readPropertyListAtPath(LAActivator::kAssignmentsPath);
    if (read.isMissing()) {
        return std::map<std::string, std::string>();
    }
    const auto dictionary = read.valueAs<NSDictionary>();
    if (!dictionary) {
        std::fprintf(stderr, "LAActivator: %s: %s; no events are assigned\n", LAActivator::kAssignmentsPath,
                     read.isOk() ? "not a dictionary" : read.reason().c_str());
        return std::nullopt;
    }
    std::map<std::string, std::string> assignments;
    for (const auto& [eventName, listener] : dictionary->entries()) {
        if (const auto listenerName = as<NSString>(listener)) {
            assignments.emplace(eventName, listenerName->string());
        }
    }
    return assignments;
}

id propertyList(const std::map<std::string, std::string>& assignments)
{
    NSDictionary::Entries entries;
    for (const auto& [eventName, listenerName] : assignments) {
        entries.emplace(eventName, NSString::stringWithString(listenerName));
    }
    return NSDictionary::dictionaryWithEntries(std::move(entries));
}

std::optional<NSError> writeAssignmentsFile(NSFileManager& files, const std::map<std::string, std::string>& assignments)
{
    const std::string folder = std::filesystem::path(LAActivator::kAssignmentsPath).parent_path().string();
    if (auto failure = files.createDirectoryAtPath(folder, true)) {
        return failure;
    }
    return NSFileManager::failureToChange(files.writePropertyList(propertyList(assignments), LAActivator::kAssignmentsPath));
}

} // namespace

LAActivator& LAActivator::sharedInstance()
{
    static LAActivator* const instance = new LAActivator; // lives as long as the process, as listeners expect
    return *instance;
}

LAActivator::LAActivator(NSFileManager& files) : files_(files)
{
    reloadAssignments();
    CFNotificationCenter::getDarwinNotifyCenter().addObserver(
        kAssignmentsChangedNotification, [this](auto&&...) { reloadAssignments(); }, this);
}

LAActivator::~LAActivator()
{
    CFNotificationCenter::getDarwinNotifyCenter().removeEveryObserver(this);
}

void LAActivator::registerListener(std::weak_ptr<LAListener> listener, const std::string& name)
{
    MutexLocker locked(mutex_);
    listeners_.insert_or_assign(name, std::move(listener));
}

void LAActivator::unregisterListenerWithName(const std::string& name)
{
    MutexLocker locked(mutex_);
    listeners_.erase(name);
}

std::vector<std::string> LAActivator::availableListenerNames() const
{
    std::vector<std::string> names;
    for (const NamedListener& named : livingListeners()) {
        names.push_back(named.name);
    }
    return names;
}

std::vector<std::string> LAActivator::availableEventNames() const
{
    std::vector<std::string> names;
    for (const EventDescription& event : kEvents) {
        names.emplace_back(event.name);
    }
    return names;
}

std::string LAActivator::localizedTitleForEventName(const std::string& eventName) const
{
    const EventDescription* event = describe(eventName);
    return event ? event->title : eventName;
}

std::string LAActivator::localizedGroupForEventName(const std::string& eventName) const
{
    const EventDescription* event = describe(eventName);
    return event ? event->group : std::string();
}

std::optional<std::string> LAActivator::assignedListenerNameForEvent(const std::string& eventName) const
{
    MutexLocker locked(mutex_);
    const auto found = assignments_.find(eventName);
    return found == assignments_.end() ? std::nullopt : std::optional<std::string>(found->second);
}

std::vector<std::string> LAActivator::eventsAssignedToListenerWithName(const std::string& listenerName) const
{
    MutexLocker locked(mutex_);
    std::vector<std::string> events;
    for (const auto& [eventName, assigned] : assignments_) {
        if (assigned == listenerName) {
            events.push_back(eventName);
        }
    }
    return events;
}

std::optional<NSError> LAActivator::assignEvent(const std::string& eventName, const std::string& listenerName)
{
    if (eventName.empty() || listenerName.empty()) {
        return NSError("an assignment needs an event name and a listener name");
    }
    return rewriteAssignments([&](Assignments& assignments) { assignments.insert_or_assign(eventName, listenerName); });
}

std::optional<NSError> LAActivator::unassignEvent(const std::string& eventName)
{
    return rewriteAssignments([&](Assignments& assignments) { assignments.erase(eventName); });
}

void LAActivator::reloadAssignments()
{
    Assignments assignments = readAssignmentsFile(files_).value_or(Assignments());
    MutexLocker locked(mutex_);
    assignments_ = std::move(assignments);
}

std::optional<NSError> LAActivator::rewriteAssignments(const std::function<void(Assignments&)>& change)
{
    MutexLocker writing(rewriting_);
    FileAssignments current = readAssignmentsFile(files_);
    if (!current) {
        const Result<std::string> movedAside = files_.moveAsideUnreadableFileAtPath(kAssignmentsPath);
        if (!movedAside) {
            return movedAside.error();
        }
        current.emplace();
    }
    Assignments updated = *current;
    change(updated);
    const bool changed = updated != *current;
    if (changed) {
        if (auto failure = writeAssignmentsFile(files_, updated)) {
            return failure;
        }
    }
    {
        MutexLocker locked(mutex_);
        assignments_ = std::move(updated);
    }
    if (changed) {
        CFNotificationCenter::getDarwinNotifyCenter().postNotification(kAssignmentsChangedNotification);
    }
    return std::nullopt;
}

std::shared_ptr<LAListener> LAActivator::assignedListener(const std::string& eventName) const
{
    MutexLocker locked(mutex_);
    const auto assignment = assignments_.find(eventName);
    if (assignment == assignments_.end()) {
        return nullptr;
    }
    const auto listener = listeners_.find(assignment->second);
    return listener == listeners_.end() ? nullptr : listener->second.lock();
}

std::vector<LAActivator::NamedListener> LAActivator::livingListeners() const
{
    MutexLocker locked(mutex_);
    std::vector<NamedListener> living;
    for (const auto& [name, weak] : listeners_) {
        if (auto listener = weak.lock()) {
            living.push_back({name, std::move(listener)});
        }
    }
    return living;
}

bool LAActivator::sendEventToListener(const std::shared_ptr<LAEvent>& event)
{
    const std::shared_ptr<LAListener> receiver = assignedListener(event->name());
    if (!receiver) {
        return false;
    }
    receiver->receiveEvent(*this, *event);
    if (!event->isHandled()) {
        return false;
    }
    for (const NamedListener& other : livingListeners()) {
        if (other.listener != receiver) {
            other.listener->otherListenerDidHandleEvent(*this, *event);
        }
    }
    return true;
}

void LAActivator::sendAbortToListener(const std::shared_ptr<LAEvent>& event)
{
    if (const std::shared_ptr<LAListener> receiver = assignedListener(event->name())) {
        receiver->abortEvent(*this, *event);
    }
}

bool LAActivator::sendDeactivateEventToListeners(const std::shared_ptr<LAEvent>& event)
{
    for (const NamedListener& named : livingListeners()) {
        named.listener->receiveDeactivateEvent(*this, *event);
        if (event->isHandled()) {
            return true;
        }
    }
    return false;
}

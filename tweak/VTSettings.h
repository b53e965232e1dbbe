#pragma once

#include "NSDictionary.h"
#include "Mutex.h"
#include "NSString.h"
#include "ThreadSafety.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <string>

// The in-memory copy of the preference file behind PLWriter's settings getters, and the two
// alerts-allowed flags. Scalars are relaxed atomics: the log's writer threads and the list's loading
// thread read them while the main thread reloads, and each is one independent word. The three object
// settings are replaced whole, never mutated, under a lock of their own; getters hand out a reference
// that stays valid after the next reload.
class VTSettings {
public:
    using IgnoredSet = std::set<std::string>;

    // "Items To Keep" before any file sets it, and for a stored value that is not a usable count.
    static constexpr std::int32_t kDefaultItemsToKeep = 50;

    static VTSettings& shared();

    // Applies a loaded preference file; null stands for a file that exists but is not a dictionary.
    void apply(const std::shared_ptr<NSDictionary>& file);
    // Back to the values at library load: the defaults, nothing loaded, both flags true.
    void reset();

    bool autoDeleteOnBadge() const { return autoDeleteOnBadge_.load(std::memory_order_relaxed); }
    std::int64_t autoDelete() const { return autoDelete_.load(std::memory_order_relaxed); }
    bool blockHomescreenAlerts() const { return blockHomescreenAlerts_.load(std::memory_order_relaxed); }
    bool blockLockscreenAlerts() const { return blockLockscreenAlerts_.load(std::memory_order_relaxed); }
    bool customIcons() const { return customIcons_.load(std::memory_order_relaxed); }
    bool hideRead() const { return hideRead_.load(std::memory_order_relaxed); }
    std::int32_t itemsToKeep() const { return itemsToKeep_.load(std::memory_order_relaxed); }
    bool livePulldown() const { return livePulldown_.load(std::memory_order_relaxed); }
    bool statusbarIcons() const { return statusbarIcons_.load(std::memory_order_relaxed); }
    bool musicOnLockscreen() const { return musicOnLockscreen_.load(std::memory_order_relaxed); }
    bool musicOnHomescreen() const { return musicOnHomescreen_.load(std::memory_order_relaxed); }

    std::shared_ptr<NSString> groupBy() const;
    std::shared_ptr<NSDictionary> redirections() const;
    std::shared_ptr<const IgnoredSet> ignoredApplications() const;

    void setOverriddenLockscreen(bool value) { lockscreenAllowed_.store(value, std::memory_order_relaxed); }
    bool overriddenLockscreen() const { return lockscreenAllowed_.load(std::memory_order_relaxed); }
    void setOverriddenSpringBoard(bool value) { springBoardAllowed_.store(value, std::memory_order_relaxed); }
    bool overriddenSpringBoard() const { return springBoardAllowed_.load(std::memory_order_relaxed); }

private:
    VTSettings() { reset(); }

    void applyScalars(const NSDictionary& file);

    std::atomic<bool> autoDeleteOnBadge_;
    std::atomic<std::int64_t> autoDelete_;
    std::atomic<bool> blockHomescreenAlerts_;
    std::atomic<bool> blockLockscreenAlerts_;
    std::atomic<bool> customIcons_;
    std::atomic<bool> hideRead_;
    std::atomic<std::int32_t> itemsToKeep_;
    std::atomic<bool> livePulldown_;
    std::atomic<bool> statusbarIcons_;
    std::atomic<bool> musicOnLockscreen_;
    std::atomic<bool> musicOnHomescreen_;
    std::atomic<bool> lockscreenAllowed_;
    std::atomic<bool> springBoardAllowed_;

    mutable Mutex objectsMutex_;
    std::shared_ptr<NSString> groupBy_ VT_GUARDED_BY(objectsMutex_);
    std::shared_ptr<NSDictionary> redirections_ VT_GUARDED_BY(objectsMutex_);
    std::shared_ptr<const IgnoredSet> ignoredApplications_ VT_GUARDED_BY(objectsMutex_);
};

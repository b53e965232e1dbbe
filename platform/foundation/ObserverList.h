#pragma once

#include "MutexLocker.h"
#include "ThreadSafety.h"
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

// Callbacks that a platform stand-in offers each request it records to (the shell host that acts on
// them, tests that watch them). Observers are called on the thread that made the request, outside the
// list's lock, so an observer may add or remove observers or make further requests.
template <class Event>
class ObserverList {
public:
    using Observer = std::function<void(const Event&)>;
    using Token = std::uint64_t;

    Token add(Observer observer)
    {
        const MutexLocker guard(mutex_);
        const Token token = ++lastToken_;
        observers_.emplace_back(token, std::move(observer));
        return token;
    }

    void remove(Token token)
    {
        const MutexLocker guard(mutex_);
        std::erase_if(observers_, [token](const auto& entry) { return entry.first == token; });
    }

    void notify(const Event& event) const
    {
        std::vector<std::pair<Token, Observer>> snapshot;
        {
            const MutexLocker guard(mutex_);
            snapshot = observers_;
        }
        for (const auto& [token, observer] : snapshot) {
            observer(event);
        }
    }

private:
    mutable Mutex mutex_;
    Token lastToken_ VT_GUARDED_BY(mutex_) = 0;
    std::vector<std::pair<Token, Observer>> observers_ VT_GUARDED_BY(mutex_);
};

#pragma once

#include "CPMessageReply.h"
#include "Mutex.h"
#include "NSDictionary.h"
#include "ThreadSafety.h"

#include <memory>
#include <vector>

// The records handed to the log store's append that no writer has taken yet, and which thread writes
// them. Appending is a group commit: each record's thread puts its record here; the first of them becomes
// the writer and writes whatever has gathered, all of it with one rewrite of the file, again and again
// until nothing is left; the others leave at once, their records in the writer's hands. So a burst of
// records costs a few rewrites instead of one each, and threads do not pile up waiting for the store's
// lock.
//
// Thread-safe.
class VTAppendQueue {
public:
    struct Entry {
        std::shared_ptr<NSDictionary> record;      // as received, "Action" included, for the broadcast
        std::shared_ptr<NSDictionary> plainRecord; // as stored
        CPMessageReply reply;                       // a plug-in's sender, answered once the record is written
    };

    // Adds a record. Answers true when the caller has become the writer: it must then call take() until
    // that answers nothing.
    [[nodiscard]] bool add(Entry entry);
    // For the writer: everything gathered, in the order it arrived. When nothing has, the caller stops
    // being the writer (the next add() makes a new one) and gets nothing.
    std::vector<Entry> take();

private:
    Mutex mutex_;
    std::vector<Entry> waiting_ VT_GUARDED_BY(mutex_);
    bool writerActive_ VT_GUARDED_BY(mutex_) = false;
};

#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class UITableViewCell;

// The cells a table took off the screen, kept by reuse identifier until a data source asks for one again.
// A cell without an identifier is not kept.
class UITableViewReuseQueue final {
public:
    void enqueue(std::shared_ptr<UITableViewCell> cell);
    // The cell queued last under the identifier, told `prepareForReuse`, or null when none is queued.
    std::shared_ptr<UITableViewCell> dequeue(const std::string& identifier);
    // The cell queued last under the identifier, left in the queue and untouched, or null.
    std::shared_ptr<UITableViewCell> peek(const std::string& identifier) const;
    std::size_t count(const std::string& identifier) const;
    std::size_t count() const;
    void clear() { queues_.clear(); }

private:
    std::unordered_map<std::string, std::vector<std::shared_ptr<UITableViewCell>>> queues_;
};

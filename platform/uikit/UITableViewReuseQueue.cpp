#include "UITableViewReuseQueue.h"

#include "UITableViewCell.h"

void UITableViewReuseQueue::enqueue(std::shared_ptr<UITableViewCell> cell)
{
    if (!cell || cell->reuseIdentifier().empty()) {
        return;
    }
    auto& queue = queues_[cell->reuseIdentifier()];
    queue.push_back(std::move(cell));
}

std::shared_ptr<UITableViewCell> UITableViewReuseQueue::dequeue(const std::string& identifier)
{
    const auto it = queues_.find(identifier);
    if (it == queues_.end() || it->second.empty()) {
        return nullptr;
    }
    auto cell = std::move(it->second.back());
    it->second.pop_back();
    cell->prepareForReuse();
    return cell;
}

std::shared_ptr<UITableViewCell> UITableViewReuseQueue::peek(const std::string& identifier) const
{
    const auto it = queues_.find(identifier);
    if (it == queues_.end() || it->second.empty()) {
        return nullptr;
    }
    return it->second.back();
}

std::size_t UITableViewReuseQueue::count(const std::string& identifier) const
{
    const auto it = queues_.find(identifier);
    return it == queues_.end() ? 0 : it->second.size();
}

std::size_t UITableViewReuseQueue::count() const
{
    std::size_t total = 0;
    for (const auto& [identifier, queue] : queues_) {
        total += queue.size();
    }
    return total;
}

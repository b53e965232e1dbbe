#include "UIApplication.h"

#include <algorithm>
#include <map>

struct UIApplication::Private {};

namespace {

struct SelectorTable {
    Mutex mutex;
    std::map<std::string, bool, std::less<>> responds VT_GUARDED_BY(mutex){
        {"addStatusBarImageNamed:", true},
        {"removeStatusBarImageNamed:", true},
        {"openURL:", true},
    };
};

SelectorTable& selectorTable()
{
    static SelectorTable table;
    return table;
}

} // namespace

UIApplication::UIApplication(Private) {}

std::shared_ptr<UIApplication> UIApplication::sharedApplication()
{
    static const auto application = std::make_shared<UIApplication>(Private{});
    return application;
}

bool UIApplication::instancesRespondToSelector(std::string_view selector)
{
    auto& table = selectorTable();
    const MutexLocker guard(table.mutex);
    const auto found = table.responds.find(selector);
    return found != table.responds.end() && found->second;
}

void UIApplication::setInstancesRespondToSelector(std::string_view selector, bool responds)
{
    auto& table = selectorTable();
    const MutexLocker guard(table.mutex);
    table.responds.insert_or_assign(std::string(selector), responds);
}

void UIApplication::addStatusBarImageNamed(const std::string& name)
{
    {
        const MutexLocker guard(mutex_);
        if (std::find(statusBarImages_.begin(), statusBarImages_.end(), name) == statusBarImages_.end()) {
            statusBarImages_.push_back(name);
        }
    }
    statusBarObservers_.notify({name, true});
}

void UIApplication::removeStatusBarImageNamed(const std::string& name)
{
    {
        const MutexLocker guard(mutex_);
        std::erase(statusBarImages_, name);
    }
    statusBarObservers_.notify({name, false});
}

std::vector<std::string> UIApplication::statusBarImageNames() const
{
    const MutexLocker guard(mutex_);
    return statusBarImages_;
}

bool UIApplication::hasStatusBarImageNamed(const std::string& name) const
{
    const MutexLocker guard(mutex_);
    return std::find(statusBarImages_.begin(), statusBarImages_.end(), name) != statusBarImages_.end();
}

bool UIApplication::openURL(const std::shared_ptr<NSURL>& url)
{
    if (!url) {
        return false;
    }
    URLOpener opener;
    {
        const MutexLocker guard(mutex_);
        requestedURLs_.push_back(url->absoluteString());
        opener = opener_;
    }
    return opener && opener(*url);
}

void UIApplication::setURLOpener(URLOpener opener)
{
    const MutexLocker guard(mutex_);
    opener_ = std::move(opener);
}

std::vector<std::string> UIApplication::requestedURLs() const
{
    const MutexLocker guard(mutex_);
    return requestedURLs_;
}

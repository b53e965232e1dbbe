#include "PSControllerRegistry.h"

#include "PSViewController.h"

#include <cstdio>
#include <utility>

PSControllerRegistry& PSControllerRegistry::shared()
{
    static PSControllerRegistry* const registry = new PSControllerRegistry; // bundles are never unloaded
    return *registry;
}

void PSControllerRegistry::registerClass(const std::string& name, Factory factory)
{
    if (classes_.count(name) != 0) {
        std::fprintf(stderr, "Preferences: the page class %s is registered again; the later one is used\n",
                     name.c_str());
    }
    classes_.insert_or_assign(name, Entry{std::move(factory), loadingBundle_});
}

bool PSControllerRegistry::hasClass(const std::string& name) const
{
    return classes_.count(name) != 0;
}

std::shared_ptr<UIViewController> PSControllerRegistry::createControllerOfClass(const std::string& name) const
{
    const auto found = classes_.find(name);
    if (found == classes_.end() || !found->second.factory) {
        return nullptr;
    }
    std::shared_ptr<UIViewController> controller = found->second.factory();
    if (auto* page = dynamic_cast<PSViewController*>(controller.get())) {
        page->setBundlePath(found->second.bundlePath);
    }
    return controller;
}

std::optional<std::string> PSControllerRegistry::bundlePathOfClass(const std::string& name) const
{
    const auto found = classes_.find(name);
    return found == classes_.end() ? std::nullopt : std::optional<std::string>(found->second.bundlePath);
}

PSControllerRegistry::LoadingBundle::LoadingBundle(std::string bundlePath)
    : previous_(std::exchange(shared().loadingBundle_, std::move(bundlePath)))
{
}

PSControllerRegistry::LoadingBundle::~LoadingBundle()
{
    shared().loadingBundle_ = std::move(previous_);
}

#pragma once

#include "UIViewController.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

// The page classes the Settings application can make by name: the principal class of a bundle's Info.plist
// ("NSPrincipalClass") and the "detail" class of a link row. A preference bundle registers each of its page
// classes when its library is loaded, with one line per class in any of its sources:
//
//     PS_REGISTER_CONTROLLER_CLASS(VPSettingsController);
//
// The application loads a bundle inside a LoadingBundle scope, so each class remembers its bundle's folder;
// a PSViewController made from it gets that folder as its bundlePath. A class registered again under the
// same name replaces the earlier one (with a line on stderr). Main thread only.
class PSControllerRegistry {
public:
    using Factory = std::function<std::shared_ptr<UIViewController>()>;

    static PSControllerRegistry& shared();

    void registerClass(const std::string& name, Factory factory);
    bool hasClass(const std::string& name) const;
    // A new controller of the class, or null when no class has that name.
    std::shared_ptr<UIViewController> createControllerOfClass(const std::string& name) const;
    // The folder of the bundle that registered the class; none for an unknown class.
    std::optional<std::string> bundlePathOfClass(const std::string& name) const;

    // While one exists, registered classes belong to the bundle at `bundlePath` (a device folder).
    class LoadingBundle {
    public:
        explicit LoadingBundle(std::string bundlePath);
        ~LoadingBundle();
        LoadingBundle(const LoadingBundle&) = delete;
        LoadingBundle& operator=(const LoadingBundle&) = delete;

    private:
        std::string previous_;
    };

private:
    struct Entry {
        Factory factory;
        std::string bundlePath;
    };

    std::map<std::string, Entry> classes_;
    std::string loadingBundle_;
};

// Registers T (default-constructible, derived from UIViewController) under `name` when constructed.
template <class T>
struct PSControllerClassRegistration {
    explicit PSControllerClassRegistration(const char* name)
    {
        PSControllerRegistry::shared().registerClass(name, [] { return std::make_shared<T>(); });
    }
};

#define PS_REGISTER_CONTROLLER_CLASS(Class) \
    static const PSControllerClassRegistration<Class> Class##Registration(#Class)

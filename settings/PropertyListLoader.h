#pragma once

#include "PSListController.h"

#include <memory>
#include <vector>

// A plain option page: the specifiers of the bundle's file named exactly as the page's navigation title,
// loaded once. One class serves every such page; a link row opens it with "detail" PropertyListLoader and
// its label names both the page and the file. Main thread only.
class PropertyListLoader : public PSListController {
public:
    std::vector<std::shared_ptr<PSSpecifier>> specifiers() override;

    std::string className() const override { return "PropertyListLoader"; }
};

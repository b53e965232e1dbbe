#include "UITableViewRowData.h"

#include <algorithm>

void UITableViewRowData::reset(std::vector<Section> sections, double topInset, double bottomInset)
{
    sections_.clear();
    sections_.reserve(sections.size());
    for (auto& section : sections) {
        if (!section.estimated.empty()) {
            section.estimated.resize(section.rowHeights.size(), false);
        }
        sections_.push_back(SectionLayout{std::move(section), 0, {}, true});
    }
    topInset_ = topInset;
    bottomInset_ = bottomInset;
    firstDirtySection_ = 0;
}

int UITableViewRowData::numberOfRowsInSection(int section) const
{
    if (section < 0 || section >= numberOfSections()) {
        return 0;
    }
    return static_cast<int>(sections_[section].content.rowHeights.size());
}

bool UITableViewRowData::contains(const NSIndexPath& path) const
{
    return path.row() >= 0 && path.row() < numberOfRowsInSection(path.section());
}

double UITableViewRowData::contentHeight() const
{
    if (sections_.empty()) {
        return topInset_ + bottomInset_;
    }
    return rectForSection(numberOfSections() - 1).end() + bottomInset_;
}

UITableViewRowData::Span UITableViewRowData::rectForSection(int section) const
{
    if (section < 0 || section >= numberOfSections()) {
        return {};
    }
    ensureOffsets();
    const auto& layout = sections_[section];
    return {layout.origin, sectionHeight(layout)};
}

UITableViewRowData::Span UITableViewRowData::rectForHeaderInSection(int section) const
{
    if (section < 0 || section >= numberOfSections()) {
        return {};
    }
    ensureOffsets();
    const auto& layout = sections_[section];
    return {layout.origin, layout.content.headerHeight};
}

UITableViewRowData::Span UITableViewRowData::rectForFooterInSection(int section) const
{
    if (section < 0 || section >= numberOfSections()) {
        return {};
    }
    ensureOffsets();
    const auto& layout = sections_[section];
    const double footer = layout.content.footerHeight;
    return {layout.origin + sectionHeight(layout) - footer, footer};
}

UITableViewRowData::Span UITableViewRowData::rectForRow(const NSIndexPath& path) const
{
    if (!contains(path)) {
        return {};
    }
    ensureOffsets();
    const auto& layout = sections_[path.section()];
    const double top = layout.origin + layout.content.headerHeight;
    return {top + layout.rowOrigins[path.row()], layout.content.rowHeights[path.row()]};
}

std::optional<NSIndexPath> UITableViewRowData::indexPathForRowAtOffset(double y) const
{
    const int section = sectionAtOffset(y);
    if (section >= numberOfSections()) {
        return std::nullopt;
    }
    const auto& layout = sections_[section];
    const double local = y - layout.origin - layout.content.headerHeight;
    const auto& origins = layout.rowOrigins;
    if (local < 0 || origins.empty() || local >= origins.back()) {
        return std::nullopt;
    }
    // The last row origin not greater than `local`.
    const auto it = std::upper_bound(origins.begin(), origins.end() - 1, local);
    const int row = static_cast<int>(it - origins.begin()) - 1;
    return NSIndexPath(row, section);
}

std::vector<NSIndexPath> UITableViewRowData::indexPathsForRowsInSpan(double top, double bottom) const
{
    std::vector<NSIndexPath> paths;
    if (bottom <= top) {
        return paths;
    }
    for (int section : sectionsInSpan(top, bottom)) {
        const auto& layout = sections_[section];
        const double rowsTop = layout.origin + layout.content.headerHeight;
        const auto& origins = layout.rowOrigins;
        const int rows = static_cast<int>(layout.content.rowHeights.size());
        // First row whose end is below `top`: origins[row + 1] > top - rowsTop.
        int row = static_cast<int>(std::upper_bound(origins.begin() + 1, origins.end(), top - rowsTop) -
                                   (origins.begin() + 1));
        for (; row < rows && rowsTop + origins[row] < bottom; ++row) {
            paths.emplace_back(row, section);
        }
    }
    return paths;
}

std::vector<int> UITableViewRowData::sectionsInSpan(double top, double bottom) const
{
    std::vector<int> found;
    if (bottom <= top) {
        return found;
    }
    for (int section = sectionAtOffset(top); section < numberOfSections(); ++section) {
        const auto span = rectForSection(section);
        if (span.origin >= bottom) {
            break;
        }
        found.push_back(section);
    }
    return found;
}

bool UITableViewRowData::isRowHeightEstimated(const NSIndexPath& path) const
{
    if (!contains(path)) {
        return false;
    }
    const auto& estimated = sections_[path.section()].content.estimated;
    return static_cast<std::size_t>(path.row()) < estimated.size() && estimated[path.row()];
}

bool UITableViewRowData::insertRow(const NSIndexPath& path, double height)
{
    if (path.section() < 0 || path.section() >= numberOfSections() || path.row() < 0 ||
        path.row() > numberOfRowsInSection(path.section())) {
        return false;
    }
    auto& content = sections_[path.section()].content;
    content.rowHeights.insert(content.rowHeights.begin() + path.row(), height);
    if (!content.estimated.empty()) {
        content.estimated.insert(content.estimated.begin() + path.row(), false);
    }
    markDirty(path.section());
    return true;
}

bool UITableViewRowData::deleteRow(const NSIndexPath& path)
{
    if (!contains(path)) {
        return false;
    }
    auto& content = sections_[path.section()].content;
    content.rowHeights.erase(content.rowHeights.begin() + path.row());
    if (!content.estimated.empty()) {
        content.estimated.erase(content.estimated.begin() + path.row());
    }
    markDirty(path.section());
    return true;
}

bool UITableViewRowData::setRowHeight(const NSIndexPath& path, double height)
{
    if (!contains(path)) {
        return false;
    }
    auto& content = sections_[path.section()].content;
    content.rowHeights[path.row()] = height;
    if (!content.estimated.empty()) {
        content.estimated[path.row()] = false;
    }
    markDirty(path.section());
    return true;
}

bool UITableViewRowData::insertSection(int section, Section content)
{
    if (section < 0 || section > numberOfSections()) {
        return false;
    }
    sections_.insert(sections_.begin() + section, SectionLayout{std::move(content), 0, {}, true});
    markDirty(section);
    return true;
}

bool UITableViewRowData::deleteSection(int section)
{
    if (section < 0 || section >= numberOfSections()) {
        return false;
    }
    sections_.erase(sections_.begin() + section);
    markDirty(section);
    return true;
}

bool UITableViewRowData::setSectionHeights(int section, double headerHeight, double footerHeight)
{
    if (section < 0 || section >= numberOfSections()) {
        return false;
    }
    sections_[section].content.headerHeight = headerHeight;
    sections_[section].content.footerHeight = footerHeight;
    markDirty(section);
    return true;
}

void UITableViewRowData::markDirty(int section)
{
    if (section < numberOfSections()) {
        sections_[section].rowsDirty = true;
    }
    firstDirtySection_ = std::min(firstDirtySection_, section);
}

void UITableViewRowData::ensureOffsets() const
{
    const int count = numberOfSections();
    if (firstDirtySection_ >= count) {
        return;
    }
    double origin = topInset_;
    if (firstDirtySection_ > 0) {
        const auto& previous = sections_[firstDirtySection_ - 1];
        origin = previous.origin + sectionHeight(previous);
    }
    for (int section = firstDirtySection_; section < count; ++section) {
        auto& layout = sections_[section];
        if (layout.rowsDirty) {
            layoutRows(layout);
        }
        layout.origin = origin;
        origin += sectionHeight(layout);
    }
    firstDirtySection_ = count;
}

void UITableViewRowData::layoutRows(SectionLayout& layout)
{
    const auto& heights = layout.content.rowHeights;
    layout.rowOrigins.resize(heights.size() + 1);
    double y = 0;
    for (std::size_t row = 0; row < heights.size(); ++row) {
        layout.rowOrigins[row] = y;
        y += heights[row];
    }
    layout.rowOrigins.back() = y;
    layout.rowsDirty = false;
}

double UITableViewRowData::sectionHeight(const SectionLayout& layout) const
{
    return layout.content.headerHeight + layout.rowOrigins.back() + layout.content.footerHeight;
}

int UITableViewRowData::sectionAtOffset(double y) const
{
    ensureOffsets();
    // First section whose end lies below y.
    const auto it = std::partition_point(sections_.begin(), sections_.end(), [&](const SectionLayout& layout) {
        return layout.origin + sectionHeight(layout) <= y;
    });
    return static_cast<int>(it - sections_.begin());
}

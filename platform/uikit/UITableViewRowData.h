#pragma once

#include "NSIndexPath.h"

#include <optional>
#include <vector>

// The vertical layout of a table: where each section, header, row and footer lies along the content, from
// the heights the table asked its data source for. Heights are given once (at a reload, or for the rows an
// update inserts or reloads) and kept; offsets are prefix sums, rebuilt only for the sections that changed
// and only when next asked for, so finding the rows in the visible band is a binary search and a table of
// ten thousand rows costs nothing per frame.
//
// A height may be an estimate (see UITableView::setEstimatedRowHeight): it places the row like any other
// until the table measures the row and gives its real height with setRowHeight.
class UITableViewRowData final {
public:
    struct Section {
        double headerHeight = 0;
        double footerHeight = 0;
        std::vector<double> rowHeights;
        // Per row, whether its height is an estimate; empty when none is.
        std::vector<bool> estimated;
    };
    // A stretch of the content along y.
    struct Span {
        double origin = 0;
        double length = 0;
        double end() const { return origin + length; }
    };

    UITableViewRowData() = default;

    // Replaces the whole layout. `topInset` and `bottomInset` are content above the first section and below
    // the last (grouped tables leave a margin there).
    void reset(std::vector<Section> sections, double topInset = 0, double bottomInset = 0);

    int numberOfSections() const { return static_cast<int>(sections_.size()); }
    int numberOfRowsInSection(int section) const;
    bool contains(const NSIndexPath& path) const;

    double contentHeight() const;
    Span rectForSection(int section) const;
    Span rectForHeaderInSection(int section) const;
    Span rectForFooterInSection(int section) const;
    Span rectForRow(const NSIndexPath& path) const;
    bool isRowHeightEstimated(const NSIndexPath& path) const;

    // The row whose span holds y (the span's origin belongs to it), or none over a header, a footer or
    // outside the content.
    std::optional<NSIndexPath> indexPathForRowAtOffset(double y) const;
    // Every row that overlaps [top, bottom), in table order.
    std::vector<NSIndexPath> indexPathsForRowsInSpan(double top, double bottom) const;
    // The sections whose span overlaps [top, bottom), in order.
    std::vector<int> sectionsInSpan(double top, double bottom) const;

    // Edits, each in the index space of the layout as it stands at the call. Out-of-range positions are
    // ignored and answer false. A row inserted or given a height this way has a measured height.
    bool insertRow(const NSIndexPath& path, double height);
    bool deleteRow(const NSIndexPath& path);
    bool setRowHeight(const NSIndexPath& path, double height);
    bool insertSection(int section, Section content);
    bool deleteSection(int section);
    bool setSectionHeights(int section, double headerHeight, double footerHeight);

private:
    struct SectionLayout {
        Section content;
        double origin = 0;              // y of the section's top (its header)
        std::vector<double> rowOrigins; // y of each row relative to the end of the header; one extra at the end
        bool rowsDirty = true;
    };

    void markDirty(int section);
    void ensureOffsets() const;
    static void layoutRows(SectionLayout& layout);
    double sectionHeight(const SectionLayout& layout) const;
    // The first section whose end lies below y (binary search over the section origins).
    int sectionAtOffset(double y) const;

    mutable std::vector<SectionLayout> sections_;
    mutable int firstDirtySection_ = 0;
    double topInset_ = 0;
    double bottomInset_ = 0;
};

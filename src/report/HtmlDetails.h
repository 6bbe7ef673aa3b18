#pragma once
// What the HTML page shows beyond the figures: the summary by column, the histogram of the
// agreement and the worst cells (at most a limit, with how many could be listed). Gathered from
// a whole comparison, or a cell at a time while the files are read, in bounded memory.

#include "Report.h"

#include "core/Figures.h"
#include "core/StreamCompare.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tallir {

struct ListedCell {
    Verdict verdict;
    std::string text1, text2;
    std::optional<double> absolute, relative;
    std::string keys; // File 1's key values of its row (see KeyText), with keys
};

struct HtmlDetails {
    std::vector<ColumnFigures> columns;
    AgreementHistogram histogram;
    std::vector<ListedCell> worst; // the worst first
    std::uint64_t listable = 0;    // the cells that could be listed
};

HtmlDetails DetailsOf(const Report& report, std::size_t cellLimit);

// The details of a streamed comparison: every cell of the compared area handed over in
// reading order (those regarded as the same too), then the area's shape.
class DetailsGatherer {
public:
    DetailsGatherer(bool all, std::size_t cellLimit) : all_(all), limit_(cellLimit) {}
    // keys: what ListedCell::keys says.
    void add(const StreamedCell& cell, std::string keys = {});
    // rows and cols: the compared area; counted: whether a column's cells were compared (not
    // left out, and paired with one of the other file).
    template <class Counted>
    HtmlDetails finish(std::uint64_t rows, std::uint64_t cols, Counted&& counted)
    {
        HtmlDetails details;
        tallies_.resize(cols);
        for (std::uint64_t c = 0; c < cols; ++c)
            details.columns.push_back({c, counted(c) ? rows : 0, tallies_[c].figures()});
        details.histogram = histogram_.histogram();
        details.worst = takeWorst();
        details.listable = listable_;
        return details;
    }

private:
    std::vector<ListedCell> takeWorst();

    bool all_;
    std::size_t limit_;
    std::vector<FiguresTally> tallies_;
    HistogramCounter histogram_;
    // A heap of the worst so far whose top is the least bad, by severity then reading order.
    std::vector<std::pair<std::pair<double, std::uint64_t>, ListedCell>> worst_;
    std::uint64_t listable_ = 0;
};

} // namespace tallir

#include "ColumnFit.h"

#include "MSFlexGrid.h"
#include "TextMeasure.h"

#include <algorithm>

namespace ColumnFit {

namespace {

constexpr qint64 EdgeRows = 2000;   // measured at each end
constexpr qint64 StrideRows = 2000; // measured evenly through the middle

} // namespace

std::vector<qint64> SampleRows(qint64 bodyRows)
{
    std::vector<qint64> rows;
    if (bodyRows <= 2 * EdgeRows + StrideRows) {
        rows.resize(std::size_t(std::max<qint64>(bodyRows, 0)));
        for (qint64 r = 0; r < bodyRows; ++r)
            rows[std::size_t(r)] = r;
        return rows;
    }
    rows.reserve(std::size_t(2 * EdgeRows + StrideRows));
    for (qint64 r = 0; r < EdgeRows; ++r)
        rows.push_back(r);
    const qint64 middle = bodyRows - 2 * EdgeRows;
    for (qint64 k = 0; k < StrideRows; ++k)
        rows.push_back(EdgeRows + k * middle / StrideRows);
    for (qint64 r = bodyRows - EdgeRows; r < bodyRows; ++r)
        rows.push_back(r);
    return rows;
}

void FitColumns(MSFlexGrid* grid)
{
    QFont bold = grid->Model()->font();
    bold.setBold(true);
    const TextMeasure plain(grid->Model()->font());
    const TextMeasure header(bold);
    const double padding = 2 * plain.width(std::string_view("0"));
    const double minimum = plain.width(std::string_view("00"));
    const double maximum = MaximumDigits * plain.width(std::string_view("0"));

    const GridStore& store = grid->Store();
    const qint64 cols = grid->Cols();
    const std::vector<qint64> rows = SampleRows(grid->Rows() - grid->FixedRows());
    std::vector<double> widths(std::size_t(cols), minimum);
    for (qint64 c = 0; c < cols; ++c)
        widths[std::size_t(c)] = std::max(minimum, header.width(store.text(0, c)));

    const tallir::Table& table = store.table();
    const bool fromTable = !store.comparison() && !table.hasEdits();
    for (const qint64 bodyRow : rows) {
        const qint64 r = bodyRow + grid->FixedRows();
        widths[0] = std::max(widths[0], header.width(store.text(r, 0)));
        if (fromTable) {
            tallir::Table::RowCursor cursor(table, std::size_t(bodyRow));
            const qint64 last = std::min<qint64>(cols - 1, qint64(cursor.count()));
            for (qint64 c = 1; c <= last; ++c)
                widths[std::size_t(c)] = std::max(widths[std::size_t(c)], plain.width(cursor.cell(std::size_t(c - 1))));
        } else if (const tallir::CompareResult* result = store.comparison()) {
            // Only the row's verdicts: the cells that agree are empty.
            const auto& verdicts = result->verdicts;
            auto it = verdicts.begin() + std::ptrdiff_t(verdicts.lowerBound(std::uint64_t(bodyRow), 0));
            for (; it != verdicts.end(); ++it) {
                const tallir::Verdict verdict = *it; // once: an agreement may be worked out again for it
                if (verdict.row != std::uint64_t(bodyRow))
                    break;
                if (qint64(verdict.col) + 1 < cols)
                    widths[std::size_t(verdict.col + 1)] = std::max(widths[std::size_t(verdict.col + 1)],
                                                                    plain.width(tallir::VerdictText(verdict, store.separators())));
            }
        } else {
            for (qint64 c = 1; c < cols; ++c)
                widths[std::size_t(c)] = std::max(widths[std::size_t(c)], plain.width(store.text(r, c)));
        }
    }

    const bool redraw = grid->Redraw();
    grid->SetRedraw(false);
    for (qint64 c = 0; c < cols; ++c)
        grid->SetColWidth(c, (std::min(widths[std::size_t(c)], maximum) + padding) * grid->TwipsPerPixelX());
    grid->SetRedraw(redraw);
}

} // namespace ColumnFit

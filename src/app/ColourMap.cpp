#include "ColourMap.h"

#include "core/Compare.h"
#include "core/Navigation.h"
#include "core/VerdictColour.h"
#include "grid/GridWindows.h"
#include "grid/MSFlexGrid.h"
#include "grid/frmGrid.h"

#include <algorithm>
#include <vector>

namespace ColourMap {

namespace {

struct State {
    bool enabled = true;
    std::uint64_t generation = ~std::uint64_t(0);
    bool hideSame = false;
    std::vector<bool> columns; // value columns holding a difference (beyond the tolerance, when hiding)
    std::vector<std::int64_t> file1Column; // columns matched by name: File 2's column -> File 1's, or -1
    // The comparison whose marks on the File windows a load took away: none shows there until
    // the next comparison.
    std::optional<std::uint64_t> cleared;
};

State& TheState()
{
    static State state;
    return state;
}

const tallir::CompareResult* Current()
{
    const tallir::CompareResult* result = GridWindows()[2]->MSFlexGrid1()->Store().comparison();
    State& state = TheState();
    const std::uint64_t generation = GridWindows()[2]->MSFlexGrid1()->Store().generation();
    if (result && state.generation != generation) {
        state.generation = generation;
        state.columns.assign(result->comparedCols, false);
        if (result->columnFigures.size() == result->comparedCols) {
            // The figures by column tell without a walk over the verdicts.
            for (std::size_t c = 0; c < state.columns.size(); ++c) {
                const tallir::Figures& figures = result->columnFigures[c];
                state.columns[c] = (state.hideSame ? figures.beyondTolerance : figures.differing) > 0;
            }
        } else {
            for (const auto& verdict : result->verdicts)
                if (!state.hideSame || tallir::BeyondTolerance(verdict))
                    state.columns[verdict.col] = true;
        }
        const auto& map = result->options.columnMap;
        state.file1Column.assign(map.empty() ? 0 : std::size_t(*std::max_element(map.begin(), map.end()) + 1), -1);
        for (std::size_t c = 0; c < map.size(); ++c)
            if (map[c] >= 0)
                state.file1Column[std::size_t(map[c])] = std::int64_t(c);
    }
    return result;
}

bool Counts(const tallir::Verdict& verdict)
{
    return !TheState().hideSame || tallir::BeyondTolerance(verdict);
}

std::optional<QColor> Tint(int slot, qint64 row, qint64 col)
{
    if (!TheState().enabled)
        return std::nullopt;
    const tallir::CompareResult* result = Current();
    if (!result || result->verdicts.empty())
        return std::nullopt;
    if (slot != 2 && TheState().cleared == GridWindows()[2]->MSFlexGrid1()->Store().generation())
        return std::nullopt;
    // The row as compared, whatever rows a filter hides.
    row = GridWindows()[slot]->MSFlexGrid1()->Store().baseRow(row);
    // File 2's columns stand where its names put them: find the File 1 column each was compared with.
    if (slot == 1 && col > 0 && !result->options.columnMap.empty()) {
        const auto& back = TheState().file1Column;
        if (std::size_t(col - 1) >= back.size() || back[std::size_t(col - 1)] < 0)
            return std::nullopt;
        col = back[std::size_t(col - 1)] + 1;
    }
    if (row == 0 && col > 0)
        return std::uint64_t(col - 1) < TheState().columns.size() && TheState().columns[std::size_t(col - 1)]
            ? std::optional<QColor>(HeaderMark())
            : std::nullopt;
    if (col == 0 && row > 0)
        return tallir::RowHasDifference(*result, std::uint64_t(row - 1), TheState().hideSame) ? std::optional<QColor>(HeaderMark())
                                                                                                : std::nullopt;
    if (row < 1 || col < 1)
        return std::nullopt;
    const auto index = tallir::FindDifference(*result, std::uint64_t(row - 1), std::uint64_t(col - 1));
    if (!index || !Counts(result->verdicts.cellOf(*index)))
        return std::nullopt; // no difference, or one regarded as the same while those are hidden
    if (slot != 2)
        return FileMark();
    return VerdictColour(result->verdicts[*index], result->options.precisionLog);
}

// While hidden, a Compare cell regarded as the same is painted empty.
bool Blank(qint64 row, qint64 col)
{
    if (!TheState().hideSame)
        return false;
    const GridStore& store = GridWindows()[2]->MSFlexGrid1()->Store();
    const tallir::CompareResult* result = store.comparison();
    if (!result || result->figures.same == 0)
        return false;
    const auto index = tallir::FindDifference(*result, std::uint64_t(store.baseRow(row) - 1), std::uint64_t(col - 1));
    return index && !tallir::BeyondTolerance(result->verdicts.cellOf(*index)) && store.text(row, col) == "S";
}

} // namespace

QColor VerdictColour(const tallir::Verdict& verdict, double threshold)
{
    const tallir::Rgb rgb = tallir::VerdictRgb(verdict, threshold);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QColor FileMark()
{
    return QColor(255, 243, 214);
}

QColor HeaderMark()
{
    return QColor(240, 200, 190);
}

QString Legend()
{
    return QStringLiteral("Colour map: red \"D\" or less than 1 digit in common; orange to pale yellow, more digits "
                          "in common up to the precision; green-grey \"S\", regarded as the same (no colour while "
                          "Tool > Hide Cells Regarded as the Same is on). Headers of rows and columns with differences "
                          "are tinted; File 1 and File 2 mark the differing cells.");
}

void Install()
{
    // A new frame: what was derived from an earlier frame's comparison is no longer good,
    // whatever its generation number says.
    TheState().generation = ~std::uint64_t(0);
    TheState().columns.clear();
    TheState().cleared.reset();
    for (int slot = 0; slot < 3; ++slot)
        GridWindows()[slot]->MSFlexGrid1()->Model()->setTint([slot](qint64 row, qint64 col) { return Tint(slot, row, col); });
    GridWindows()[2]->MSFlexGrid1()->Model()->setBlank(Blank);
}

void Clear()
{
    TheState().cleared = GridWindows()[2]->MSFlexGrid1()->Store().generation();
    Refresh();
}

void SetEnabled(bool enabled)
{
    TheState().enabled = enabled;
    Refresh();
}

void Refresh()
{
    for (int slot = 0; slot < 3; ++slot) {
        MSFlexGrid* grid = GridWindows()[slot]->MSFlexGrid1();
        grid->viewport()->update();
        grid->RefreshHeaders();
    }
}

void SetHideSame(bool hide)
{
    TheState().hideSame = hide;
    TheState().generation = ~std::uint64_t(0); // the header tints are derived again
    Refresh();
}

bool Enabled()
{
    return TheState().enabled;
}

} // namespace ColourMap

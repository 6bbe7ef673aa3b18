// Going from one difference to the next across the three linked grids.

#include "mdiMain.h"

#include "modMain.h"

#include "core/Navigation.h"
#include "grid/GridWindows.h"
#include "grid/MSFlexGrid.h"
#include "grid/StatusPanels.h"
#include "grid/frmGrid.h"

#include <QStatusBar>
#include <algorithm>

namespace {

const tallir::CompareResult* Comparison()
{
    return GridWindows()[2]->MSFlexGrid1()->Store().comparison();
}

} // namespace

void mdiMain::goToDifference(std::size_t index, const QString& message)
{
    const tallir::CompareResult& result = *Comparison();
    const tallir::Verdict& verdict = result.verdicts[index];
    const qint64 row = qint64(verdict.row) + 1;
    const qint64 col = qint64(verdict.col) + 1;
    for (int slot = 0; slot < 3; ++slot) {
        frmGrid& window = *GridWindows()[slot];
        frmGrid::MSFlexGrid_ShowSelection(window, row, col, row, col);
        MSFlexGrid* grid = window.MSFlexGrid1();
        if (row < grid->Rows() && col < grid->Cols())
            grid->scrollTo(grid->model()->index(int(row - 1), int(col - 1)));
    }
    // Named as the files are: by line, and by the column's name where there is one.
    const std::string at = GridWindows()[2]->MSFlexGrid1()->Store().cellName(row, col);
    StatusPanels::SetText(statusBar_, "Space0",
                          QStringLiteral("Difference %1 of %2 at %3").arg(index + 1).arg(result.verdicts.size()).arg(QString::fromStdString(at))
                              + (message.isEmpty() ? QString() : " - " + message));
}

void mdiMain::mnuToolDifference_Click(int direction)
{
    const tallir::CompareResult* result = Comparison();
    if (!result || result->verdicts.empty()) {
        StatusPanels::SetText(statusBar_, "Space0", QStringLiteral("No differences."));
        return;
    }
    const bool hide = modMain::HideSame();
    const auto& verdicts = result->verdicts;
    // From the cell last selected in "Compare"; a header cell stands before the first row.
    const frmGrid& compare = *GridWindows()[2];
    const qint64 row = compare.MSFlexGrid_CurRow() - 1;
    const qint64 col = compare.MSFlexGrid_CurCol() - 1;
    std::optional<tallir::Step> step;
    if (row < 0 || col < 0) {
        const auto counts = [hide](const tallir::Verdict& v) { return !hide || tallir::BeyondTolerance(v); };
        if (direction > 0) {
            if (const auto it = std::find_if(verdicts.begin(), verdicts.end(), counts); it != verdicts.end())
                step = tallir::Step{std::size_t(it - verdicts.begin()), false};
        } else if (const auto it = std::find_if(verdicts.rbegin(), verdicts.rend(), counts); it != verdicts.rend()) {
            step = tallir::Step{std::size_t(verdicts.rend() - it) - 1, false};
        }
    } else if (direction > 0) {
        step = tallir::NextDifference(*result, std::uint64_t(row), std::uint64_t(col), hide);
    } else {
        step = tallir::PreviousDifference(*result, std::uint64_t(row), std::uint64_t(col), hide);
    }
    if (!step) {
        StatusPanels::SetText(statusBar_, "Space0", QStringLiteral("No differences beyond the tolerance."));
        return;
    }
    goToDifference(step->index, !step->wrapped ? QString()
                                 : direction > 0 ? QStringLiteral("wrapped to the first difference.")
                                                 : QStringLiteral("wrapped to the last difference."));
}

void mdiMain::mnuToolWorst_Click()
{
    const tallir::CompareResult* result = Comparison();
    if (!result || result->verdicts.empty()) {
        StatusPanels::SetText(statusBar_, "Space0", QStringLiteral("No differences."));
        return;
    }
    const std::uint64_t generation = GridWindows()[2]->MSFlexGrid1()->Store().generation();
    const bool hide = modMain::HideSame();
    if (!worstWalk_ || generation != worstGeneration_ || hide != worstHidesSame_) {
        worstWalk_.emplace(*result, hide);
        worstGeneration_ = generation;
        worstHidesSame_ = hide;
    }
    const auto step = worstWalk_->next();
    if (!step) {
        StatusPanels::SetText(statusBar_, "Space0", QStringLiteral("No differences beyond the tolerance."));
        return;
    }
    goToDifference(step->index, step->wrapped ? QStringLiteral("every difference visited, from the worst again.") : QString());
}

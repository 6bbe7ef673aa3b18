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
    const qint64 row = GridWindows()[2]->MSFlexGrid1()->Store().shownRow(qint64(verdict.row) + 1, true);
    const qint64 col = qint64(verdict.col) + 1;
    frmGrid::ShowLinkedSelection(2, row, col, row, col);
    for (int slot = 0; slot < 3; ++slot) {
        MSFlexGrid* grid = GridWindows()[slot]->MSFlexGrid1();
        const qint64 linked = frmGrid::LinkedColumn(2, slot, col);
        if (row < grid->Rows() && linked < grid->Cols())
            grid->EnsureVisible(row, linked);
    }
    // Named as the files are: by line, and by the column's name where there is one.
    const std::string at = GridWindows()[2]->MSFlexGrid1()->Store().cellName(row, col);
    // While cells regarded as the same are hidden, only those beyond the tolerance are counted.
    const bool hide = modMain::HideSame() && tallir::BeyondTolerance(verdict);
    StatusPanels::SetText(statusBar_, "Space0",
                          QStringLiteral("Difference %1 of %2 at %3")
                                  .arg(tallir::DifferenceNumber(result, index, hide))
                                  .arg(tallir::DifferenceCount(result, hide))
                                  .arg(QString::fromStdString(at))
                              + (message.isEmpty() ? QString() : " - " + message));
}

void mdiMain::mnuToolDifference_Click(int direction)
{
    const tallir::CompareResult* result = Comparison();
    const bool oneSided = result && result->options.alignment
        && result->options.alignment->onlyIn1 + result->options.alignment->onlyIn2 > 0;
    if (!result || (result->verdicts.empty() && !oneSided)) {
        StatusPanels::SetText(statusBar_, "Space0", QStringLiteral("No differences."));
        return;
    }
    // From the cell last selected in "Compare"; a header cell stands before the first row.
    const frmGrid& compare = *GridWindows()[2];
    const qint64 row = compare.MSFlexGrid1()->Store().baseRow(compare.MSFlexGrid_CurRow()) - 1;
    const qint64 col = compare.MSFlexGrid_CurCol() - 1;
    std::optional<std::pair<std::uint64_t, std::uint64_t>> from;
    if (row >= 0 && col >= 0)
        from = std::pair(std::uint64_t(row), std::uint64_t(col));
    const auto stop = tallir::NextStop(*result, from, direction, modMain::HideSame());
    if (!stop) {
        StatusPanels::SetText(statusBar_, "Space0", QStringLiteral("No differences beyond the tolerance."));
        return;
    }
    const QString message = !stop->wrapped ? QString()
        : direction > 0                    ? QStringLiteral("wrapped to the first difference.")
                                           : QStringLiteral("wrapped to the last difference.");
    if (stop->verdict)
        goToDifference(*stop->verdict, message);
    else
        goToOneSidedRow(stop->row, message);
}

void mdiMain::goToCell(std::uint64_t row, std::uint64_t col)
{
    if (const tallir::CompareResult* result = Comparison())
        if (const auto index = tallir::FindDifference(*result, row, col))
            goToDifference(*index, {});
}

void mdiMain::goToOneSidedRow(std::uint64_t comparedRow, const QString& message)
{
    const qint64 row = GridWindows()[2]->MSFlexGrid1()->Store().shownRow(qint64(comparedRow) + 1, true);
    for (int slot = 0; slot < 3; ++slot) {
        frmGrid& window = *GridWindows()[slot];
        MSFlexGrid* grid = window.MSFlexGrid1();
        frmGrid::MSFlexGrid_ShowSelection(window, row, 1, row, std::max<qint64>(1, grid->Cols() - 1));
        if (row < grid->Rows())
            grid->EnsureVisible(row, 1);
    }
    const tallir::RowPair& pair = Comparison()->options.alignment->pairs[std::size_t(comparedRow)];
    const bool inFile1 = pair.row2 == tallir::NoRow;
    const qint64 line = qint64(inFile1 ? pair.row1 : pair.row2) + 1 + GridWindows()[2]->MSFlexGrid1()->Store().lineOffset();
    StatusPanels::SetText(statusBar_, "Space0",
                          QStringLiteral("Row only in File %1: line %2").arg(inFile1 ? 1 : 2).arg(line)
                              + (message.isEmpty() ? QString() : " - " + message));
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

#include "modMain.h"

#include "LongWork.h"
#include "mdiMain.h"

#include "core/Compare.h"
#include "core/Figures.h"
#include "ColourMap.h"
#include "FiguresPanel.h"
#include "SummaryWindow.h"
#include "grid/ColumnFit.h"
#include "grid/GridWindows.h"
#include "grid/MSFlexGrid.h"
#include "grid/StatusPanels.h"
#include "grid/frmGrid.h"
#include "locale/LocaleFormat.h"
#include "platform/PlatformServices.h"
#include "settings/modUtil.h"

#include <QLabel>

namespace modMain {

bool CompareGrids()
{
    tallir::CompareOptions options = modUtil::ReadCompareSettings();
    std::vector<std::string> unknownColumns;

    frmGrid& file1 = *GridWindows()[0];
    frmGrid& file2 = *GridWindows()[1];
    frmGrid& compare = *GridWindows()[2];
    const GridStore& store1 = file1.MSFlexGrid1()->Store();
    const GridStore& store2 = file2.MSFlexGrid1()->Store();
    // Two names lines: File 2's columns are compared with File 1's of the same names.
    tallir::ColumnMatch columns;
    const bool named = store1.table().hasNames() && store2.table().hasNames();
    if (named) {
        columns = tallir::MatchColumns(store1.table().names(), std::size_t(store1.cols() - 1), store2.table().names(),
                                       std::size_t(store2.cols() - 1));
        if (!columns.positional)
            options.columnMap = columns.file2Column;
    }
    options.columnTolerances = tallir::ResolveColumnTolerances(modUtil::ReadColumnTolerances(), store1.table().names(), unknownColumns);
    tallir::CompareResult result;
    tallir::Figures figures;
    const int align = AlignRows();
    const auto keys = align == 1 ? KeyColumns(store1.table().names()) : std::nullopt;
    RunLongWork(mdiMain::Frame().StatusBar1(), QStringLiteral("Comparing"), [&](WorkProgress& progress) {
        options.cancel = &progress.cancelled;
        if (keys)
            options.alignment = std::make_shared<tallir::RowAlignment>(
                tallir::AlignByKeys(store1.table(), store2.table(), *keys, tallir::File2Columns(options, *keys), options.cancel,
                                    KeyTolerance()));
        else if (align == 2)
            options.alignment = std::make_shared<tallir::RowAlignment>(tallir::AlignByIdenticalRows(store1.table(), store2.table(), options.cancel));
        result = tallir::CompareTables(store1.sharedTable(), store1.shape(), store2.sharedTable(), store2.shape(), options);
        if (!result.cancelled)
            figures = tallir::Summarize(result, store1.table(), store2.table());
    });
    result.options.cancel = nullptr;
    if (result.cancelled) {
        // Esc: the Compare window keeps what it showed.
        StatusPanels::SetText(mdiMain::Frame().StatusBar1(), "Space0", QStringLiteral("Comparing cancelled."));
        return false;
    }
    // What a table read in place held while the file changed is no file's content: nothing is shown of it.
    if (ForgetChangedTables()) {
        StatusPanels::SetText(mdiMain::Frame().StatusBar1(), "Space0",
                              QStringLiteral("A file changed on disk while it was compared: nothing compared. File > Reload (F5) reads it again."));
        return false;
    }
    const std::uint64_t differing = result.differing();
    // The File windows show their rows in the compared order: gaps where a row is in the other file only.
    file1.MSFlexGrid1()->ShowAligned(result.options.alignment, true);
    file2.MSFlexGrid1()->ShowAligned(result.options.alignment, false);

    MSFlexGrid* grid = compare.MSFlexGrid1();
    const bool redraw = grid->Redraw();
    grid->SetRedraw(false);
    grid->ShowComparison(std::move(result), LocaleFormat::Separators(),
                         named ? store1.table().names() : std::vector<std::string>(), store1.lineOffset());
    if (FitWidthsOnLoad())
        ColumnFit::FitColumns(grid);
    grid->SetRedraw(redraw);
    // Agreements worked out again from the files: the Compare window hears of their changes too,
    // whatever the File windows show by then.
    const bool reads = grid->Store().comparison()->verdicts.keepsKindsOnly();
    compare.WatchFiles(reads ? QStringList{file1.LoadedPath(), file2.LoadedPath()} : QStringList());
    // Only the differing rows again, when that is chosen: those of this comparison.
    ApplyRowFilter();
    // The File grids mark the differing cells at once, not at their next repaint.
    ColourMap::Refresh();
    if (QWidget* strip = compare.SideStrip())
        strip->update();

    auto sameOrDifferent = [&](const char* key) {
        return StatusPanels::Text(file1.StatusBar1(), key) == StatusPanels::Text(file2.StatusBar1(), key)
            ? QStringLiteral("Same")
            : QStringLiteral("Different");
    };
    QStatusBar* bar = compare.StatusBar1();
    StatusPanels::SetText(bar, "Dimension",
                          QString::fromStdString(tallir::DimensionText(std::uint64_t(grid->Rows() - grid->FixedRows()),
                                                                       std::uint64_t(grid->Cols() - grid->FixedCols()))));
    StatusPanels::SetText(bar, "Size", sameOrDifferent("Size"));
    StatusPanels::SetText(bar, "DateLastModified", sameOrDifferent("DateLastModified"));

    // The figures at a glance; a click on them goes to the worst cell (the frame listens).
    FiguresPanel::Show(figures);
    SummaryWindow::Refresh();
    QStringList only;
    auto name = [](const GridStore& store, std::size_t col) {
        const std::string_view n = store.table().name(col);
        return n.empty() ? QStringLiteral("C%1").arg(col + 1) : QString::fromUtf8(n.data(), qsizetype(n.size()));
    };
    for (const std::size_t col : columns.onlyIn1)
        only << "column " + name(store1, col) + " only in File 1";
    for (const std::size_t col : columns.onlyIn2)
        only << "column " + name(store2, col) + " only in File 2";
    for (const std::string& warning : tallir::RepeatWarnings(grid->Store().comparison()->options.alignment.get(),
                                                            named ? store1.table().names() : std::vector<std::string>(),
                                                            named ? store2.table().names() : std::vector<std::string>(),
                                                            std::uint64_t(std::max<qint64>(0, store1.lineOffset()))))
        only << QString::fromStdString(warning);
    for (const std::string& unknown : unknownColumns)
        only << "no column " + QString::fromStdString(unknown) + " in File 1 for its tolerance";
    if (align == 1 && !keys)
        only << "no key column " + modUtil::ReadString("Option", "KeyColumns", "1") + " in File 1: rows compared by position";
    if (!only.isEmpty())
        StatusPanels::SetText(mdiMain::Frame().StatusBar1(), "Space0", only.join(QStringLiteral("; ")));

    const QString message = QString::fromStdString(
        tallir::ClosingMessage(file1.Caption().toStdString(), file2.Caption().toStdString(), differing));
    const bool tolerance = tallir::AnyTolerance(grid->Store().comparison()->options);
    if (ClosingMessageShown()) {
        // Under a tolerance a last line says how many differing cells lie beyond it, as
        // tallir-diff's report does.
        const QString beyond = tolerance && differing
            ? "\r\n" + QString::fromStdString(tallir::WithinToleranceText(figures.same, figures.beyondTolerance))
            : QString();
        platform::MsgBox(message + beyond, platform::Buttons::Ok,
                         differing ? platform::Icon::Exclamation : platform::Icon::Information, {}, &compare);
        return true;
    }
    // Without the box the same words go to the frame's status bar, and nothing waits for a click.
    QString line = QString(message).replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    if (tolerance)
        line += QStringLiteral("; %1 beyond the tolerance").arg(figures.beyondTolerance);
    if (!only.isEmpty())
        line += QStringLiteral("; ") + only.join(QStringLiteral("; "));
    StatusPanels::SetText(mdiMain::Frame().StatusBar1(), "Space0", line);
    return true;
}

bool Disagrees()
{
    const GridStore& store1 = GridWindows()[0]->MSFlexGrid1()->Store();
    const GridStore& store2 = GridWindows()[1]->MSFlexGrid1()->Store();
    const tallir::CompareResult* result = GridWindows()[2]->MSFlexGrid1()->Store().comparison();
    if (!result)
        return false;
    tallir::ColumnMatch columns;
    if (store1.table().hasNames() && store2.table().hasNames())
        columns = tallir::MatchColumns(store1.table().names(), std::size_t(store1.cols() - 1), store2.table().names(),
                                       std::size_t(store2.cols() - 1));
    return tallir::Disagrees(result->figures.beyondTolerance, result->options, columns, tallir::LoadedGridShape(store1.table()),
                             tallir::LoadedGridShape(store2.table()));
}

} // namespace modMain

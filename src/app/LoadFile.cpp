#include "modMain.h"

#include <QDir>
#include <QTimer>

#include "ColourMap.h"
#include "LongWork.h"
#include "mdiMain.h"
#include "core/AbbreviatePath.h"
#include "core/Compare.h"
#include "core/NumericText.h"
#include "core/TableReader.h"
#include "grid/ColumnFit.h"
#include "grid/GridWindows.h"
#include "grid/MSFlexGrid.h"
#include "grid/StatusPanels.h"
#include "grid/frmGrid.h"
#include "locale/FileNames.h"
#include "locale/LocaleFormat.h"
#include "platform/PlatformServices.h"
#include "settings/modControl.h"
#include "settings/modUtil.h"

namespace {

// A first line of texts over a line holding numbers reads like the columns' names.
bool LooksLikeNamesLine(const tallir::Table& table)
{
    if (table.hasNames() || table.rowCount() < 2 || table.valueCount(0) == 0)
        return false;
    for (std::size_t c = 0; c < table.valueCount(0); ++c)
        if (tallir::NumericValue(table.cell(0, c)))
            return false;
    for (std::size_t c = 0; c < table.valueCount(1); ++c)
        if (tallir::NumericValue(table.cell(1, c)))
            return true;
    return false;
}

// A table in a file window: what was derived from the table there before (rows aligned with
// it or filtered by a comparison of it, the last comparison's marks, the selection) goes.
void ShowReadTable(frmGrid& window, tallir::Table table)
{
    MSFlexGrid* grid = window.MSFlexGrid1();
    const bool redraw = grid->Redraw();
    grid->SetRedraw(false);
    grid->ShowTable(std::move(table));
    for (int slot = 0; slot < 2; ++slot)
        GridWindows()[slot]->MSFlexGrid1()->ShowAligned(nullptr, slot == 0);
    for (int slot = 0; slot < 3; ++slot)
        if (GridWindows()[slot]->MSFlexGrid1()->Store().filtered())
            GridWindows()[slot]->MSFlexGrid1()->ShowOnly(nullptr);
    if (modMain::FitWidthsOnLoad())
        ColumnFit::FitColumns(grid);
    grid->SetRedraw(redraw);
    StatusPanels::SetText(window.StatusBar1(), "Dimension",
                          QString::fromStdString(tallir::DimensionText(std::uint64_t(grid->Rows() - grid->FixedRows()),
                                                                       std::uint64_t(grid->Cols() - grid->FixedCols()))));
    ColourMap::Clear();
    for (int slot = 0; slot < 3; ++slot)
        frmGrid::MSFlexGrid_ClearSelection(*GridWindows()[slot]);
}

} // namespace

namespace modMain {

bool ForgetChangedTables()
{
    // Not while a comparison or a read walks the tables: once it is done.
    if (LongWorkRunning()) {
        QTimer::singleShot(100, [] { ForgetChangedTables(); });
        return false;
    }
    bool forgot = false;
    for (int slot = 0; slot < 2; ++slot) {
        frmGrid& window = *GridWindows()[slot];
        const tallir::MappedFile* file = window.MSFlexGrid1()->Store().table().file();
        if (!file || !file->changed())
            continue;
        ShowReadTable(window, tallir::Table());
        // The frame's panel is wide enough to read where a narrow window's is not.
        StatusPanels::SetText(mdiMain::Frame().StatusBar1(), "Space0", window.Caption() + ": " + window.SayChangedOnDisk());
        forgot = true;
    }
    return forgot;
}

bool LoadFile(frmGrid& window, const QString& path)
{
    if (path.isEmpty())
        return false;
    mdiMain& frame = mdiMain::Frame();
    // The name is bytes on the disk; what a person reads of it is decoded.
    const std::string file = FileNameString(path);
    const std::string shown = ShownFileName(path).toStdString();
    // The recent list keeps the absolute path, which opens again from any folder; the caption
    // shows the path as given.
    const QString recent = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    auto cantOpen = [&](tallir::ReadFailure failure = tallir::ReadFailure::NoFile, const tallir::LineFault& fault = {}) {
        platform::MsgBox(QString::fromStdString(tallir::ReadFailureMessage(shown, failure, fault)), platform::Buttons::Ok,
                         platform::Icon::Information, {}, &window);
        modControl::RemoveRecentPath(frame, recent);
        return false;
    };
    // A folder, or anything else that is not a regular file, is no file.
    const auto facts = StatFile(path);
    if (!facts || !facts->regular)
        return cantOpen();
    modControl::AddRecentPath(frame, recent);

    // Read the whole table first: a file that cannot be read, or a read cancelled with Esc,
    // leaves the window as it was.
    tallir::TableReadResult read;
    const auto format = modUtil::ReadInteger("Option", "CsvMode", 0) == 1 ? tallir::TableFormat::Csv : tallir::TableFormat::Plain;
    RunLongWork(frame.StatusBar1(), "Reading " + path, [&](WorkProgress& progress) {
        read = tallir::ReadTable(
            file,
            [&](std::uint64_t done, std::uint64_t total) {
                progress.done = done;
                progress.total = total;
                return !progress.cancelled;
            },
            format, NamesLine());
    });
    if (read.failure == tallir::ReadFailure::Cancelled) {
        StatusPanels::SetText(frame.StatusBar1(), "Space0", "Reading " + path + " cancelled.");
        return false;
    }
    if (!read.table)
        return cantOpen(read.failure, read.lineFault);

    // How the file was read, where that may surprise: as CSV, or with what looks like a names line
    // read as a row.
    QStringList notes;
    if (format == tallir::TableFormat::Csv)
        notes << QStringLiteral("read as CSV");
    if (LooksLikeNamesLine(*read.table))
        notes << QStringLiteral("the first line looks like column names: Tool > First Line Holds Names");
    window.SetCaption(QString::fromStdString(tallir::AbbreviatePath(shown, 40)));
    ShowReadTable(window, std::move(*read.table));
    QStatusBar* bar = window.StatusBar1();
    const auto fresh = StatFile(path).value_or(*facts);
    StatusPanels::SetText(bar, "Size", LocaleFormat::SizeText(fresh.size));
    StatusPanels::SetText(bar, "DateLastModified", LocaleFormat::DateText(fresh.modified));
    window.SetLoadedPath(path);
    StatusPanels::SetText(bar, "Space0", notes.join(QStringLiteral("; ")));
    return true;
}

} // namespace modMain

#include "modMain.h"

#include <QDir>
#include <QTimer>
#include <algorithm>
#include <array>
#include <atomic>
#include <thread>
#include <vector>

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
    // A comparison that reads its agreements from tables whose files changed cannot show them any
    // more (the File windows may show other files by now).
    frmGrid& compare = *GridWindows()[2];
    const tallir::CompareResult* result = compare.MSFlexGrid1()->Store().comparison();
    if (result && result->verdicts.keepsKindsOnly() && result->verdicts.sourceChanged()) {
        ShowReadTable(compare, tallir::Table());
        compare.SayChangedOnDisk();
        if (QWidget* strip = compare.SideStrip())
            strip->update();
    }
    return forgot;
}

namespace {

// One file on its way into a window.
struct PendingLoad {
    frmGrid* window = nullptr;
    QString path;
    std::string file;  // the name as bytes on the disk
    std::string shown; // the name as a person reads it
    QString recent;    // the absolute path the recent list keeps
    std::optional<FileFacts> facts;
    tallir::TableReadResult read;
};

void CantOpen(const PendingLoad& load, tallir::ReadFailure failure = tallir::ReadFailure::NoFile, const tallir::LineFault& fault = {})
{
    platform::MsgBox(QString::fromStdString(tallir::ReadFailureMessage(load.shown, failure, fault)), platform::Buttons::Ok,
                     platform::Icon::Information, {}, load.window);
    modControl::RemoveRecentPath(mdiMain::Frame(), load.recent);
}

// What is known of a file before it is read; no facts when it is no regular file (a folder, a
// device), which is said when the load finishes.
PendingLoad Prepare(frmGrid& window, const QString& path)
{
    PendingLoad load;
    load.window = &window;
    load.path = path;
    load.file = FileNameString(path);
    load.shown = ShownFileName(path).toStdString();
    // The recent list keeps the absolute path, which opens again from any folder; the caption
    // shows the path as given.
    load.recent = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    load.facts = StatFile(path);
    if (load.facts && !load.facts->regular)
        load.facts.reset();
    if (load.facts)
        modControl::AddRecentPath(mdiMain::Frame(), load.recent);
    return load;
}

// Shows a file read, or says why it could not be: the window stays as it was then.
bool Finish(PendingLoad& load, tallir::TableFormat format)
{
    if (!load.facts) {
        CantOpen(load);
        return false;
    }
    if (!load.read.table) {
        CantOpen(load, load.read.failure, load.read.lineFault);
        return false;
    }
    frmGrid& window = *load.window;
    // How the file was read, where that may surprise: as CSV, or with what looks like a names line
    // read as a row.
    QStringList notes;
    if (format == tallir::TableFormat::Csv)
        notes << QStringLiteral("read as CSV");
    if (LooksLikeNamesLine(*load.read.table))
        notes << QStringLiteral("the first line looks like column names: Tool > First Line Holds Names");
    window.SetCaption(QString::fromStdString(tallir::AbbreviatePath(load.shown, 40)));
    ShowReadTable(window, std::move(*load.read.table));
    QStatusBar* bar = window.StatusBar1();
    const auto fresh = StatFile(load.path).value_or(*load.facts);
    StatusPanels::SetText(bar, "Size", LocaleFormat::SizeText(fresh.size));
    StatusPanels::SetText(bar, "DateLastModified", LocaleFormat::DateText(fresh.modified));
    window.SetLoadedPath(load.path);
    StatusPanels::SetText(bar, "Space0", notes.join(QStringLiteral("; ")));
    return true;
}

bool Cancelled(const PendingLoad& load)
{
    return load.facts && load.read.failure == tallir::ReadFailure::Cancelled;
}

} // namespace

bool LoadFile(frmGrid& window, const QString& path)
{
    return LoadFiles(window, path, window, QString()).first;
}

std::pair<bool, bool> LoadFiles(frmGrid& window1, const QString& path1, frmGrid& window2, const QString& path2)
{
    // Read both tables first, side by side: a file that cannot be read, or a read cancelled with
    // Esc, leaves its window as it was.
    std::vector<PendingLoad> loads;
    for (const auto& [window, path] : {std::pair(&window1, path1), std::pair(&window2, path2)})
        if (!path.isEmpty())
            loads.push_back(Prepare(*window, path));
    if (loads.empty())
        return {false, false};
    QStringList paths;
    for (const PendingLoad& load : loads)
        if (load.facts)
            paths << load.path;
    const QString what = "Reading " + paths.join(QStringLiteral(" and "));
    mdiMain& frame = mdiMain::Frame();
    // The settings are read here, once, not by the reading threads.
    const auto format = modUtil::ReadInteger("Option", "CsvMode", 0) == 1 ? tallir::TableFormat::Csv : tallir::TableFormat::Plain;
    const bool names = NamesLine();
    auto readAll = [&](WorkProgress& progress) {
        // The bar shows the bytes of both read so far against both sizes.
        std::array<std::atomic<std::uint64_t>, 2> done{}, total{};
        auto read = [&](std::size_t which) {
            const auto tell = [&, which](std::uint64_t bytes, std::uint64_t size) {
                done[which] = bytes;
                total[which] = size;
                progress.done = done[0] + done[1];
                progress.total = total[0] + total[1];
                return !progress.cancelled;
            };
            loads[which].read = tallir::ReadTable(loads[which].file, tell, format, names);
        };
        std::thread second;
        if (loads.size() == 2 && loads[1].facts)
            second = std::thread(read, 1);
        if (loads[0].facts)
            read(0);
        if (second.joinable())
            second.join();
    };
    if (!paths.isEmpty())
        RunLongWork(frame.StatusBar1(), what, readAll);
    if (std::any_of(loads.begin(), loads.end(), Cancelled)) {
        StatusPanels::SetText(frame.StatusBar1(), "Space0", what + " cancelled.");
        return {false, false};
    }
    std::array<bool, 2> loaded{};
    for (std::size_t i = 0; i < loads.size(); ++i)
        loaded[i] = Finish(loads[i], format);
    // Without a first path, the one file given is the second.
    if (path1.isEmpty())
        return {false, loaded[0]};
    return {loaded[0], loaded[1]};
}

} // namespace modMain

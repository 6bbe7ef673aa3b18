// File > Export Report: the comparison shown, written down as an HTML page or as CSV.

#include "modMain.h"

#include "cli/DiffRun.h"
#include "cli/JsonReport.h"
#include "cli/Output.h"
#include "core/Compare.h"
#include "grid/GridWindows.h"
#include "grid/MSFlexGrid.h"
#include "grid/StatusPanels.h"
#include "grid/frmGrid.h"
#include "locale/FileNames.h"
#include "locale/LocaleFormat.h"
#include "platform/PlatformServices.h"
#include "report/Report.h"
#include "settings/modUtil.h"

#include <QFileInfo>
#include <fstream>

namespace modMain {

namespace {

tallir::ReportFile Described(frmGrid& window)
{
    auto panel = [&](const char* key) { return StatusPanels::Text(window.StatusBar1(), key).toStdString(); };
    return {window.Caption().toStdString(), panel("Dimension"), panel("Size"), panel("DateLastModified")};
}

std::string RowsPairing()
{
    switch (AlignRows()) {
    case 1:
        return "paired by key " + modUtil::ReadString("Option", "KeyColumns", "1").toStdString();
    case 2:
        return "paired around identical rows";
    default:
        return "by position";
    }
}

// The document tallir-diff --json prints for the same pair and options.
bool WriteJson(const tallir::CompareResult& result, frmGrid& file1, frmGrid& file2, const std::string& path)
{
    const GridStore& store1 = file1.MSFlexGrid1()->Store();
    const GridStore& store2 = file2.MSFlexGrid1()->Store();
    // The tables are lent, not copied: the run lives only while it is written.
    auto lend = [](const GridStore& store) { return std::shared_ptr<const tallir::Table>(std::shared_ptr<void>(), &store.table()); };
    auto describe = [&](frmGrid& window, const GridStore& store) {
        const tallir::ReportFile facts = Described(window);
        return DiffFile{facts.path, lend(store), QString::fromStdString(facts.dimension), QString::fromStdString(facts.size),
                        QString::fromStdString(facts.date)};
    };
    DiffRun run{describe(file1, store1), describe(file2, store2), result, result.figures,
                tallir::FindShapeMismatch(store1.table(), store2.table()), LocaleFormat::Separators(),
                tallir::ClosingMessage(file1.Caption().toStdString(), file2.Caption().toStdString(), result.differing()), false,
                store1.table().hasNames() && store2.table().hasNames(), {}};
    if (result.options.alignment)
        run.mismatch.firstRow.reset();
    if (run.names)
        run.columns = tallir::MatchColumns(store1.table().names(), std::size_t(store1.cols() - 1), store2.table().names(),
                                           std::size_t(store2.cols() - 1));
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written;
    {
        Output out(file);
        WriteJsonReport(run, false, out);
        written = out.finish();
    }
    return std::fclose(file) == 0 && written;
}

} // namespace

void ExportReport(QWidget* parent)
{
    const GridStore& compare = GridWindows()[2]->MSFlexGrid1()->Store();
    const tallir::CompareResult* result = compare.comparison();
    if (!result) {
        platform::MsgBox(QStringLiteral("Compare File 1 with File 2 first: the report is of a comparison."),
                         platform::Buttons::Ok, platform::Icon::Information, {}, parent);
        return;
    }
    const auto path = platform::Platform().saveFileName(
        {QStringLiteral("Export Report"),
         {QStringLiteral("Web Page (*.html)"), QStringLiteral("Comma-Separated Values (*.csv)"), QStringLiteral("JSON (*.json)")},
         QStringLiteral("html"), QStringLiteral("report.html"), {}},
        parent);
    if (!path)
        return;
    const QString suffix = QFileInfo(*path).suffix().toLower();
    frmGrid& file1 = *GridWindows()[0];
    frmGrid& file2 = *GridWindows()[1];
    if (suffix == QLatin1String("json")) {
        if (!WriteJson(*result, file1, file2, FileNameString(*path)))
            platform::MsgBox("Can't write " + *path, platform::Buttons::Ok, platform::Icon::Critical, {}, parent);
        return;
    }
    const bool csv = suffix == QLatin1String("csv");
    const tallir::Report report{
        Described(file1), Described(file2),
        tallir::OptionsInForce(result->options, !compare.names().empty(), RowsPairing()),
        tallir::ClosingMessage(file1.Caption().toStdString(), file2.Caption().toStdString(), result->differing()), *result,
        file1.MSFlexGrid1()->Store().table(), file2.MSFlexGrid1()->Store().table(), LocaleFormat::Separators(),
        [&compare](std::uint64_t row, std::uint64_t col) { return compare.cellName(qint64(row) + 1, qint64(col) + 1); },
        [&compare](std::uint64_t col) { return std::string(compare.columnName(qint64(col) + 1)); }};
    std::ofstream out(FileNameString(*path), std::ios::binary | std::ios::trunc);
    if (out) {
        if (csv)
            tallir::WriteCsvReport(report, out);
        else
            tallir::WriteHtmlReport(report, out);
        out.close();
    }
    if (!out)
        platform::MsgBox("Can't write " + *path, platform::Buttons::Ok, platform::Icon::Critical, {}, parent);
}

} // namespace modMain

// File > Export Report: the comparison shown, written down as an HTML page, as CSV or as JSON.

#include "modMain.h"

#include "core/Compare.h"
#include "core/InputFile.h"
#include "grid/GridWindows.h"
#include "grid/MSFlexGrid.h"
#include "grid/StatusPanels.h"
#include "grid/frmGrid.h"
#include "locale/FileNames.h"
#include "locale/LocaleFormat.h"
#include "platform/PlatformServices.h"
#include "report/JsonReport.h"
#include "report/Report.h"
#include "settings/modUtil.h"

#include <QFileInfo>
#include <fstream>

namespace modMain {

namespace {

tallir::ReportFile Described(frmGrid& window)
{
    auto panel = [&](const char* key) { return StatusPanels::Text(window.StatusBar1(), key).toStdString(); };
    tallir::ReportFile file{window.Caption().toStdString(), panel("Dimension"), panel("Size"), panel("DateLastModified")};
    if (const auto facts = StatFile(window.LoadedPath()); facts && !window.LoadedPath().isEmpty()) {
        file.bytes = std::uint64_t(std::max<qint64>(0, facts->size));
        if (facts->modified.isValid())
            file.modified = facts->modified.toOffsetFromUtc(facts->modified.offsetFromUtc()).toString(Qt::ISODate).toStdString();
    }
    return file;
}

std::string RowsPairing()
{
    switch (AlignRows()) {
    case 1:
        return "paired by key " + modUtil::ReadString("Option", "KeyColumns", "1").toStdString()
            + (KeyTolerance() > 0 ? " within " + tallir::ScriptNumber(KeyTolerance()) : std::string());
    case 2:
        return "paired around identical rows";
    default:
        return "by position";
    }
}

bool WriteJson(const tallir::Report& report, const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written;
    {
        tallir::Output out(file);
        tallir::WriteJsonReport(report, false, out);
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
    bool all = modUtil::ReadInteger("Tool", "ReportAll", 0) != 0;
    const auto path = platform::Platform().saveFileName(
        {QStringLiteral("Export Report"),
         {QStringLiteral("Web Page (*.html)"), QStringLiteral("Comma-Separated Values (*.csv)"), QStringLiteral("JSON (*.json)")},
         QStringLiteral("html"), QStringLiteral("report.html"), {},
         QStringLiteral("Also the cells regarded as the same (S)"), &all},
        parent);
    if (!path)
        return;
    modUtil::WriteString("Tool", "ReportAll", all ? "-1" : "0");
    for (frmGrid* input : {GridWindows()[0], GridWindows()[1]})
        if (!input->LoadedPath().isEmpty() && tallir::SameFile(FileNameString(*path), FileNameString(input->LoadedPath()))) {
            platform::MsgBox("Can't write " + *path + "\nIt is one of the files compared.", platform::Buttons::Ok,
                             platform::Icon::Critical, {}, parent);
            return;
        }
    const QString suffix = QFileInfo(*path).suffix().toLower();
    frmGrid& file1 = *GridWindows()[0];
    frmGrid& file2 = *GridWindows()[1];
    const GridStore& store1 = file1.MSFlexGrid1()->Store();
    const GridStore& store2 = file2.MSFlexGrid1()->Store();
    const bool named = store1.table().hasNames() && store2.table().hasNames();
    const tallir::ColumnMatch columns = named ? tallir::MatchColumns(store1.table().names(), std::size_t(store1.cols() - 1),
                                                                     store2.table().names(), std::size_t(store2.cols() - 1))
                                              : tallir::ColumnMatch();
    tallir::ShapeMismatch mismatch = tallir::FindShapeMismatch(store1.table(), store2.table());
    if (result->options.alignment)
        mismatch.firstRow.reset(); // rows are paired by the alignment, not by their place
    std::vector<std::uint64_t> keys;
    if (AlignRows() == 1 && result->options.alignment)
        keys = KeyColumns(store1.table().names()).value_or(std::vector<std::uint64_t>());
    const bool json = suffix == QLatin1String("json");
    const tallir::Report report{
        Described(file1), Described(file2),
        tallir::OptionsInForce(result->options, !compare.names().empty(), RowsPairing(), store1.table().names()),
        tallir::ClosingMessage(file1.Caption().toStdString(), file2.Caption().toStdString(), result->differing()), *result,
        store1.table(), store2.table(), json ? tallir::ScriptSeparators() : LocaleFormat::Separators(),
        [&compare](std::uint64_t row, std::uint64_t col) { return compare.cellName(qint64(row) + 1, qint64(col) + 1); },
        [&compare](std::uint64_t col) { return std::string(compare.columnName(qint64(col) + 1)); }, all,
        std::uint64_t(std::max<qint64>(0, store1.lineOffset())), keys, mismatch, named ? &columns : nullptr,
        tallir::DescribeTolerance(result->options, store1.table().names()), std::nullopt};
    bool written = false;
    if (json) {
        written = WriteJson(report, FileNameString(*path));
    } else {
        std::ofstream out(FileNameString(*path), std::ios::binary | std::ios::trunc);
        if (out) {
            if (suffix == QLatin1String("csv"))
                tallir::WriteCsvReport(report, out);
            else
                tallir::WriteHtmlReport(report, out);
            out.close();
        }
        written = bool(out);
    }
    if (!written)
        platform::MsgBox("Can't write " + *path, platform::Buttons::Ok, platform::Icon::Critical, {}, parent);
}

} // namespace modMain

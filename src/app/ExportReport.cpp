// File > Export Report: the comparison shown, written down as an HTML page or as CSV.

#include "modMain.h"

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
        {QStringLiteral("Export Report"), {QStringLiteral("Web Page (*.html)"), QStringLiteral("Comma-Separated Values (*.csv)")},
         QStringLiteral("html"), QStringLiteral("report.html"), {}},
        parent);
    if (!path)
        return;
    const bool csv = QFileInfo(*path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
    frmGrid& file1 = *GridWindows()[0];
    frmGrid& file2 = *GridWindows()[1];
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

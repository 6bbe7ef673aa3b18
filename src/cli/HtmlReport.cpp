#include "HtmlReport.h"

#include "report/Report.h"

#include <fstream>

namespace {

tallir::ReportFile File(const DiffFile& file)
{
    return {file.path, file.dimension.toStdString(), file.size.toStdString(), file.date.toStdString()};
}

} // namespace

bool WriteHtmlReportFile(const DiffRun& run, const DiffOptions& options, const std::string& path)
{
    std::string rows = options.alignIdentical ? "paired around identical rows" : "by position";
    if (!options.keyList.isEmpty())
        rows = std::string("paired by key ").append(options.keyList.toStdString());
    const tallir::Report report{File(run.file1), File(run.file2), tallir::OptionsInForce(run.result.options, run.names, rows),
                                run.message, run.result,
                                *run.file1.table, *run.file2.table, run.separators,
                                [&run](std::uint64_t row, std::uint64_t col) { return run.cellName(row, col); },
                                [&run](std::uint64_t col) { return std::string(run.file1.table->name(col)); }};
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    tallir::WriteHtmlReport(report, out);
    out.close();
    return bool(out);
}

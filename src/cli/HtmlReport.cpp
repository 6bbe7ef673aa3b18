#include "HtmlReport.h"

#include "report/Report.h"

#include <fstream>

std::string RowsPairing(const DiffOptions& options)
{
    if (!options.keyList.isEmpty() && options.keyTolerance > 0)
        return "paired by key " + options.keyList.toStdString() + " within " + tallir::ScriptNumber(options.keyTolerance);
    if (!options.keyList.isEmpty())
        return std::string("paired by key ").append(options.keyList.toStdString());
    return options.alignIdentical ? "paired around identical rows" : "by position";
}

bool WriteHtmlReportFile(const DiffRun& run, const DiffOptions& options, const std::string& path)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    const tallir::Report report = run.report(options.all, RowsPairing(options));
    if (run.details)
        tallir::WriteHtmlReport(report, *run.details, out);
    else
        tallir::WriteHtmlReport(report, out);
    out.close();
    return bool(out);
}

// tallir-diff: compares two tables from the shell, with the engine of the Compare window.

#include "DiffOptions.h"
#include "DiffRun.h"
#include "HtmlReport.h"
#include "report/JsonReport.h"
#include "TextReport.h"
#include "locale/FileNames.h"
#include "settings/modUtil.h"

#include <QCoreApplication>
#include <QLocale>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <system_error>

namespace {
PrecisionSettings ReadPrecisionSettings()
{
    return {modUtil::ReadCompareSettings(), modUtil::ReadColumnTolerances(), modUtil::ReadInteger("Option", "CsvMode", 0) == 1,
            modUtil::ReadInteger("Option", "NamesLine", 0) != 0};
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    // What it prints is read by scripts: numbers, sizes and dates the same in every locale.
    QLocale::setDefault(QLocale::c());
    // File names are taken byte for byte, whatever their encoding.
    const DiffCommand command = ParseDiffArguments(QStringList{QCoreApplication::applicationFilePath()} + ArgumentsFromBytes(argc, argv),
                                                   ReadPrecisionSettings);
    std::fputs(command.output.toLocal8Bit().constData(), stdout);
    std::fputs(command.error.toLocal8Bit().constData(), stderr);
    if (!command.options)
        return command.exitStatus;

    const DiffOptions& options = *command.options;
    tallir::Output out(stdout);
    DiffOutcome outcome;
    try {
        tallir::Output* report = options.quiet ? nullptr : &out;
        if (Streams(options))
            outcome = RunStreamingDiff(options, report);
        else if (StreamsByKey(options))
            outcome = RunKeyedStreamingDiff(options, report);
        if (!outcome.run && outcome.errors.empty())
            outcome = RunDiff(options); // not streamed, or keys out of order
    } catch (const std::bad_alloc&) {
        outcome = {};
        outcome.errors.push_back(Streams(options) ? "tallir-diff: The memory ran out while comparing."
                                                  : "tallir-diff: The memory ran out while comparing the tables whole; without "
                                                    "--align, --git and --full, and with --key only where both files are in "
                                                    "key order, files of any size compare (see MEMORY in man tallir-diff).");
    } catch (const std::system_error& failure) {
        // A thread whose stack finds no room: the memory too.
        outcome = {};
        outcome.errors.push_back(failure.code() == std::errc::resource_unavailable_try_again
                                     ? std::string("tallir-diff: The memory ran out while starting to compare (") + failure.what() + ")."
                                     : std::string("tallir-diff: ") + failure.what());
    } catch (const std::exception& failure) {
        outcome.errors.push_back(std::string("tallir-diff: ") + failure.what());
    }
    for (const std::string& error : outcome.errors)
        std::fprintf(stderr, "%s\n", error.c_str());
    if (!outcome.run) {
        out.finish();
        return 2;
    }
    if (!options.quiet) {
        if (options.git && !options.json)
            WriteGitHeader(*outcome.run, options, out);
        if (outcome.streamed && options.json)
            tallir::WriteJsonRest(outcome.run->report(options.all, RowsPairing(options)), false, out);
        else if (outcome.streamed)
            WriteReportEnd(*outcome.run, out);
        else if (options.json)
            tallir::WriteJsonReport(outcome.run->report(options.all, RowsPairing(options)), options.full, out);
        else
            WriteTextReport(*outcome.run, out, options.all);
    }
    if (!options.htmlPath.isEmpty() && !WriteHtmlReportFile(*outcome.run, options, FileNameString(options.htmlPath))) {
        std::fprintf(stderr, "tallir-diff: the report %s could not be written: %s\n", FileNameString(options.htmlPath).c_str(),
                     std::strerror(errno));
        out.finish();
        return 2;
    }
    if (!out.finish()) {
        std::fprintf(stderr, "tallir-diff: the report could not be written: %s\n", std::strerror(errno));
        return 2;
    }
    // git takes any status but 0 from its diff driver for a failure.
    return outcome.run->disagrees && !options.git ? 1 : 0;
}

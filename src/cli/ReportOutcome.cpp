#include "DiffRun.h"
#include "HtmlReport.h"
#include "TextReport.h"

#include "report/JsonReport.h"
#include "locale/FileNames.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <system_error>

DiffOutcome Guarded(const DiffOptions& options, const std::function<DiffOutcome()>& run)
{
    DiffOutcome outcome;
    try {
        outcome = run();
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
        outcome = {};
        outcome.errors.push_back(std::string("tallir-diff: ") + failure.what());
    }
    return outcome;
}

int ReportOutcome(const DiffOptions& options, DiffOutcome& outcome, tallir::Output& out)
{
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

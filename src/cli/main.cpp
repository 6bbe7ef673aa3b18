// tallir-diff: compares two tables from the shell, with the engine of the Compare window.

#include "DiffOptions.h"
#include "DiffRun.h"
#include "locale/FileNames.h"

#include <QCoreApplication>
#include <QLocale>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    // What it prints is read by scripts: numbers, sizes and dates the same in every locale.
    QLocale::setDefault(QLocale::c());
    // File names are taken byte for byte, whatever their encoding.
    const DiffCommand command = ParseDiffArguments(QStringList{QCoreApplication::applicationFilePath()} + ArgumentsFromBytes(argc, argv),
                                                   SavedPrecisionSettings);
    std::fputs(command.output.toLocal8Bit().constData(), stdout);
    std::fputs(command.error.toLocal8Bit().constData(), stderr);
    if (!command.options)
        return command.exitStatus;

    const DiffOptions& options = *command.options;
    tallir::Output out(stdout);
    DiffOutcome outcome = Guarded(options, [&] {
        DiffOutcome outcome;
        tallir::Output* report = options.quiet ? nullptr : &out;
        if (Streams(options))
            outcome = RunStreamingDiff(options, report);
        else if (StreamsByKey(options))
            outcome = RunKeyedStreamingDiff(options, report);
        if (!outcome.run && outcome.errors.empty())
            outcome = RunDiff(options); // not streamed, or keys out of order
        return outcome;
    });
    return ReportOutcome(options, outcome, out);
}

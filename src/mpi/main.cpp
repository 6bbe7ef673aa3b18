// tallir-diff-mpi: tallir-diff's comparison shared among the processes of an MPI run
// (mpirun -n N tallir-diff-mpi [OPTIONS] FILE1 FILE2, or srun): the same report and status.

#include "MpiDiff.h"
#include "Ranks.h"

#include "cli/DiffOptions.h"
#include "locale/FileNames.h"

#include <mpi.h>

#include <QCoreApplication>
#include <QLocale>
#include <cstdio>

namespace {

// Every process ends with rank 0's status.
int Finish(int status)
{
    status = ranks::Broadcast(status);
    MPI_Finalize();
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    int provided = 0;
    MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided);
    QCoreApplication application(argc, argv);
    QLocale::setDefault(QLocale::c());
    const bool root = ranks::Rank() == 0;
    const DiffCommand command = ParseDiffArguments(QStringList{QCoreApplication::applicationFilePath()} + ArgumentsFromBytes(argc, argv),
                                                   SavedPrecisionSettings);
    if (root) {
        std::fputs(command.output.toLocal8Bit().constData(), stdout);
        std::fputs(command.error.toLocal8Bit().constData(), stderr);
    }
    if (!command.options)
        return Finish(command.exitStatus);
    const DiffOptions& options = *command.options;
    if (const std::string refusal = MpiRefusal(options); !refusal.empty()) {
        if (root)
            std::fprintf(stderr, "%s\n", refusal.c_str());
        return Finish(2);
    }
    tallir::Output out(stdout);
    // Trouble thrown part way (memory, a temporary file) leaves the others waiting: it ends them all.
    bool thrown = false;
    DiffOutcome outcome = Guarded(options, [&] {
        try {
            return RunMpiDiff(options, options.quiet ? nullptr : &out);
        } catch (...) {
            thrown = true;
            throw;
        }
    });
    if (thrown) {
        for (const std::string& error : outcome.errors)
            std::fprintf(stderr, "%s\n", error.c_str());
        std::fflush(stderr);
        MPI_Abort(MPI_COMM_WORLD, 2);
    }
    if (!root)
        return Finish(outcome.errors.empty() ? 0 : 2);
    return Finish(ReportOutcome(options, outcome, out));
}

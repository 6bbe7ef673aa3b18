// Reads two tables and compares them with the core engine, as one timed run:
//   bench_engine FILE1 FILE2
// Prints the wall time of each step, the peak resident memory and its ratio to the inputs, then
// the time of comparing the files as streams, every cell or until the answer is known.

#include "core/Compare.h"
#include "core/Figures.h"
#include "core/Navigation.h"
#include "core/StreamCompare.h"
#include "core/TableReader.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace {
double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_engine FILE1 FILE2\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    auto [first, second] = tallir::ReadTablePair(argv[1], argv[2]);
    const double read = Seconds(start);
    if (!first.table || !second.table) {
        std::fprintf(stderr, "cannot read the inputs\n");
        return 2;
    }
    const auto compareStart = std::chrono::steady_clock::now();
    const auto result = tallir::CompareTables(*first.table, *second.table);
    const double compare = Seconds(compareStart);
    const double total = Seconds(start);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peak = static_cast<double>(usage.ru_maxrss) * 1024.0;
    const double inputs = static_cast<double>(std::filesystem::file_size(argv[1]) + std::filesystem::file_size(argv[2]));
    std::printf("engine: read %.3f s, compare %.3f s, total %.3f s, differing %llu, peak %.0f MB = %.2f x inputs\n",
                read, compare, total, static_cast<unsigned long long>(result.differing()), peak / 1e6, peak / inputs);
    if (result.differing())
        std::printf("verdicts: %.2f bytes each (the aim: at most 12.01)\n", double(result.verdicts.bytes()) / double(result.differing()));

    // The overviews of the result: the strip beside the Compare grid (800 pixel rows), the
    // summary by column and the histogram.
    const auto stripStart = std::chrono::steady_clock::now();
    const auto bands = tallir::WorstPerBand(result, 800);
    const double strip = Seconds(stripStart);
    const auto summaryStart = std::chrono::steady_clock::now();
    const auto columns = tallir::SummarizeColumns(result, *first.table, *second.table);
    const auto histogram = tallir::HistogramOf(result);
    const double summary = Seconds(summaryStart);
    std::printf("overviews of %llu verdicts: strip %.1f ms (%zu bands), summary by column and histogram %.1f ms (%zu columns, "
                "%zu bins)\n",
                static_cast<unsigned long long>(result.differing()), strip * 1e3, bands.size(), summary * 1e3, columns.size(),
                histogram.bins.size());

    // As tallir-diff streams them: every cell compared for the figures, and only until a cell
    // beyond the tolerance is found (as with -q).
    double streamed[2];
    std::uint64_t counted[2];
    for (const bool untilDecided : {false, true}) {
        const auto streamStart = std::chrono::steady_clock::now();
        tallir::RowStream stream1(argv[1]), stream2(argv[2]);
        const auto outcome = tallir::CompareStreams(stream1, stream2, {}, {}, untilDecided);
        streamed[untilDecided] = Seconds(streamStart);
        counted[untilDecided] = outcome.figures.differing;
    }
    std::printf("streamed: every cell compared %.3f s (%llu differing), until decided %.3f s (%llu differing by then)\n",
                streamed[0], static_cast<unsigned long long>(counted[0]), streamed[1], static_cast<unsigned long long>(counted[1]));
    return 0;
}

// Row alignment of two 1,000,000-row tables whose first column counts up (a time step): 100
// rows left out of FILE1 and 100 others out of FILE2, every other cell equal. Prints the time of
// each way of pairing rows beside the comparison itself, best of three.
//   bench_align [ROWS]

#include "core/Compare.h"
#include "core/RowAlignment.h"
#include "core/TableReader.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

namespace {

template <class Work>
double BestSeconds(Work&& work)
{
    double best = 1e300;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
    std::string text1, text2;
    char line[256];
    for (std::size_t r = 0; r < rows; ++r) {
        std::snprintf(line, sizeof line, "%zu %.9e %.9e %.9e %.9e %.9e %.9e %.9e\n", r, r * 0.1, r * 0.2, r * 0.3,
                      r * 0.4, r * 0.5, r * 0.6, r * 0.7);
        if (r % (rows / 100) != 17)
            text1 += line;
        if (r % (rows / 100) != 53)
            text2 += line;
    }
    const tallir::Table table1 = tallir::ParseTable(text1), table2 = tallir::ParseTable(text2);
    tallir::RowAlignment byKey, byRows;
    const double keySeconds = BestSeconds([&] { byKey = tallir::AlignByKeys(table1, table2, {0}); });
    const double rowSeconds = BestSeconds([&] { byRows = tallir::AlignByIdenticalRows(table1, table2); });
    tallir::CompareOptions aligned;
    aligned.alignment = std::make_shared<tallir::RowAlignment>(byKey);
    std::uint64_t byPosition = 0, afterAlignment = 0;
    const double compareSeconds = BestSeconds([&] { byPosition = tallir::CompareTables(table1, table2).differing(); });
    const double alignedSeconds = BestSeconds([&] { afterAlignment = tallir::CompareTables(table1, table2, aligned).differing(); });
    std::printf("alignment of %zu rows (100 left out of each file): by key %.3f s (merge walk: %s), by identical rows "
                "%.3f s; one-sided rows %llu + %llu\n",
                rows, keySeconds, byKey.merged ? "yes" : "no", rowSeconds, (unsigned long long)(byKey.onlyIn1),
                (unsigned long long)(byKey.onlyIn2));
    // Esc part way through each pairing: how long it goes on after it.
    auto afterEsc = [&](auto&& pair, double seconds) {
        std::atomic<bool> stop{false};
        std::chrono::steady_clock::time_point pressed;
        std::thread worker([&] { pair(&stop); });
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds / 3));
        pressed = std::chrono::steady_clock::now();
        stop = true;
        worker.join();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - pressed).count();
    };
    const double keyEsc = afterEsc([&](const std::atomic<bool>* stop) { tallir::AlignByKeys(table1, table2, {0}, {0}, stop); }, keySeconds);
    const double rowEsc = afterEsc([&](const std::atomic<bool>* stop) { tallir::AlignByIdenticalRows(table1, table2, stop); }, rowSeconds);
    std::printf("Esc a third of the way through: by key stopped %.1f ms later, by identical rows %.1f ms later\n", keyEsc * 1e3,
                rowEsc * 1e3);
    std::printf("comparison by position %.3f s (%llu differing), of the aligned rows %.3f s (%llu differing)\n",
                compareSeconds, (unsigned long long)byPosition, alignedSeconds, (unsigned long long)afterAlignment);
    return 0;
}

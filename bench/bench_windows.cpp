// The window path, offscreen: LoadFiles of both files and CompareGrids up to the closing message
// (answered by the platform fake), then scrolling to the last row and painting a screen:
//   bench_windows FILE1 FILE2 [--tolerance]
// With --tolerance, the same pair compared again under the precision rule at 6 and at 14 digits,
// with the cells regarded as the same hidden and shown: the first paint after comparing, key
// steps, F8 and the row filter, each painted in the three grids.

#include "app/mdiMain.h"
#include "app/modMain.h"
#include "grid/ColumnFit.h"
#include "grid/GridWindows.h"
#include "grid/MSFlexGrid.h"
#include "grid/frmGrid.h"
#include "grid/modFlexGrid.h"
#include "settings/modUtil.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QAction>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <sys/resource.h>
#include <thread>

namespace {
double Since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Anonymous memory now (heap and private maps, not the page cache a mapped file reads through).
double AnonymousBytes()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    double bytes = 0;
    while (std::fgets(line, sizeof line, status))
        if (unsigned long kilobytes = 0; std::sscanf(line, "RssAnon: %lu kB", &kilobytes) == 1)
            bytes = double(kilobytes) * 1024;
    std::fclose(status);
    return bytes;
}

// The most anonymous memory seen while it lives, looked at every few milliseconds.
class AnonymousPeak {
public:
    AnonymousPeak()
        : thread_([this] {
            while (!stop_) {
                peak_ = std::max(peak_.load(), AnonymousBytes());
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        })
    {
    }
    ~AnonymousPeak() { stop(); }
    double stop()
    {
        if (thread_.joinable()) {
            stop_ = true;
            thread_.join();
        }
        return std::max(peak_.load(), AnonymousBytes());
    }

private:
    std::atomic<bool> stop_{false};
    std::atomic<double> peak_{0};
    std::thread thread_;
};
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settings;
    qputenv("TALLIR_SETTINGS_DIR", settings.path().toUtf8());
    QApplication application(argc, argv);
    const bool tolerance = argc == 4 && std::string_view(argv[3]) == "--tolerance";
    if (argc != 3 && !tolerance) {
        std::fprintf(stderr, "usage: bench_windows FILE1 FILE2 [--tolerance]\n");
        return 2;
    }
    FakePlatform fake;
    mdiMain frame;
    frame.MDIForm_Load();
    frame.resize(1200, 900);
    frame.show();
    for (int slot = 0; slot < 3; ++slot)
        GridWindows()[slot]->SubWindow()->resize(390, 800);
    QApplication::processEvents();

    AnonymousPeak anonymous;
    const auto start = std::chrono::steady_clock::now();
    const auto [loaded1, loaded2] = modMain::LoadFiles(*GridWindows()[0], argv[1], *GridWindows()[1], argv[2]);
    const bool loaded = loaded1 && loaded2;
    const double load = Since(start);
    modMain::CompareGrids();
    const double total = Since(start);
    const double anonymousPeak = anonymous.stop();
    if (!loaded || fake.messages.size() != 1) {
        std::fprintf(stderr, "the files did not load\n");
        return 2;
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peak = double(usage.ru_maxrss) * 1024;
    const double inputs = double(std::filesystem::file_size(argv[1]) + std::filesystem::file_size(argv[2]));

    // The first paint of each grid where it stands (the first of all also lays out the font's
    // glyphs), then a far place painted.
    double worstScroll = 0, worstFirst = 0;
    for (int slot = 0; slot < 3; ++slot) {
        MSFlexGrid* grid = GridWindows()[slot]->MSFlexGrid1();
        const auto first = std::chrono::steady_clock::now();
        grid->viewport()->repaint();
        worstFirst = std::max(worstFirst, Since(first));
        const auto scroll = std::chrono::steady_clock::now();
        grid->SetTopRow(grid->Rows() - 1);
        grid->viewport()->repaint();
        worstScroll = std::max(worstScroll, Since(scroll));
    }
    std::printf("windows: load both %.3f s, load and compare %.3f s, peak %.0f MB = %.2f x inputs, "
                "anonymous %.0f MB = %.2f x inputs, first paint %.1f ms, scroll to the last row and paint %.1f ms\n",
                load, total, peak / 1e6, peak / inputs, anonymousPeak / 1e6, anonymousPeak / inputs, worstFirst * 1e3, worstScroll * 1e3);

    // Selecting every cell and painting the block into all three grids, then a second block.
    auto paintAll = [](qint64 row, qint64 col, qint64 rowSel, qint64 colSel) {
        const auto start = std::chrono::steady_clock::now();
        for (int slot = 0; slot < 3; ++slot)
            frmGrid::MSFlexGrid_ShowSelection(*GridWindows()[slot], row, col, rowSel, colSel);
        for (int slot = 0; slot < 3; ++slot)
            GridWindows()[slot]->MSFlexGrid1()->viewport()->repaint();
        return Since(start);
    };
    MSFlexGrid* first = GridWindows()[0]->MSFlexGrid1();
    const double everything = paintAll(1, 1, first->Rows() - 1, first->Cols() - 1);
    const double second = paintAll(first->Rows() / 2, 2, first->Rows() - 10, 5);
    const auto markStart = std::chrono::steady_clock::now();
    for (int move = 0; move < 20; ++move) {
        first->SetRowSel(first->Rows() / 2 + move);
        modFlexGrid::MSFlexGrid_MarkFixed(first); // repaints at its end
    }
    const double mark = Since(markStart) / 20;
    const auto fitStart = std::chrono::steady_clock::now();
    first->SetCol(3);
    first->SetColSel(3);
    modFlexGrid::MSFlexGrid_FitColWidth(first, 1);
    const double fit = Since(fitStart);
    std::printf("selection: every cell into three grids %.1f ms, a second block %.1f ms, header marks per move %.2f ms, "
                "fitting one column of %lld cells %.3f s\n",
                everything * 1e3, second * 1e3, mark * 1e3, static_cast<long long>(first->Rows()), fit);

    // Going from difference to difference with the colour map on, each step painted.
    double slowest = 0; // the slowest single step of the last command
    auto step = [&](auto&& command) {
        const auto start = std::chrono::steady_clock::now();
        slowest = 0;
        for (int i = 0; i < 10; ++i) {
            const auto one = std::chrono::steady_clock::now();
            command();
            for (int slot = 0; slot < 3; ++slot)
                GridWindows()[slot]->MSFlexGrid1()->viewport()->repaint();
            slowest = std::max(slowest, Since(one));
        }
        return Since(start) / 10;
    };
    const double next = step([&] { frame.mnuToolDifference_Click(+1); });
    const double previous = step([&] { frame.mnuToolDifference_Click(-1); });
    const double worst = step([&] { frame.mnuToolWorst_Click(); });
    std::printf("navigation with the colour map: next %.1f ms, previous %.1f ms, worst %.1f ms per step, the first %.1f ms (%zu differences)\n",
                next * 1e3, previous * 1e3, worst * 1e3, slowest * 1e3, fake.messages.size() ? std::size_t(GridWindows()[2]->MSFlexGrid1()->Store().comparison()->differing()) : 0);

    // Fitting the columns to their texts, as every load and comparison does.
    double worstFit = 0;
    for (int slot = 0; slot < 3; ++slot) {
        const auto start = std::chrono::steady_clock::now();
        ColumnFit::FitColumns(GridWindows()[slot]->MSFlexGrid1());
        worstFit = std::max(worstFit, Since(start));
    }
    // Keyboard steps in File 1, each moving the linked selection and painted in all three grids.
    auto key = [&](int code, Qt::KeyboardModifiers modifiers) {
        first->setFocus();
        const auto start = std::chrono::steady_clock::now();
        QKeyEvent press(QEvent::KeyPress, code, modifiers);
        QApplication::sendEvent(first, &press);
        for (int slot = 0; slot < 3; ++slot)
            GridWindows()[slot]->MSFlexGrid1()->viewport()->repaint();
        return Since(start);
    };
    key(Qt::Key_Home, Qt::ControlModifier);
    const double down = key(Qt::Key_Down, {});
    const double pageDown = key(Qt::Key_PageDown, {});
    const double end = key(Qt::Key_End, Qt::ControlModifier);
    const double extend = key(Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    std::printf("widths fitted per grid (slowest of three) %.1f ms; keys painted in three grids: Down %.1f ms, Page Down %.1f ms, "
                "Ctrl+End %.1f ms, Ctrl+Shift+Home %.1f ms\n",
                worstFit * 1e3, down * 1e3, pageDown * 1e3, end * 1e3, extend * 1e3);

    // Only the differing rows, painted in the three grids, and every row again.
    auto filter = [&](bool on) {
        const auto start = std::chrono::steady_clock::now();
        frame.mnuToolOnlyDiffering()->setChecked(on);
        for (int slot = 0; slot < 3; ++slot)
            GridWindows()[slot]->MSFlexGrid1()->viewport()->repaint();
        return Since(start);
    };
    const double filterOn = filter(true);
    const qint64 shown = GridWindows()[2]->MSFlexGrid1()->Rows() - 1;
    const double filterOff = filter(false);
    std::printf("only the differing rows: on %.1f ms (%lld rows shown), off %.1f ms\n", filterOn * 1e3,
                static_cast<long long>(shown), filterOff * 1e3);
    if (!tolerance)
        return 0;

    // Under a tolerance: everything the windows show, counted, navigated and filtered by what lies
    // beyond it, without a walk over the verdicts per paint or key.
    auto paintThree = [] {
        for (int slot = 0; slot < 3; ++slot)
            GridWindows()[slot]->MSFlexGrid1()->viewport()->repaint();
    };
    for (const int digits : {6, 14}) {
        for (const bool hide : {true, false}) {
            modUtil::WriteString("Option", "PrecisionSame", "1");
            modUtil::WriteString("Option", "PrecisionLog", QString::number(digits));
            frame.mnuToolHideSame()->setChecked(hide);
            frame.mnuToolOnlyDiffering()->setChecked(false);
            modMain::CompareGrids();
            const auto paintStart = std::chrono::steady_clock::now();
            paintThree();
            const double firstPaint = Since(paintStart);
            first->setFocus();
            key(Qt::Key_Home, Qt::ControlModifier);
            double worstKey = 0;
            for (const auto& [code, modifiers] : {std::pair{Qt::Key_Down, Qt::KeyboardModifiers()}, {Qt::Key_PageDown, {}},
                                                  {Qt::Key_End, Qt::ControlModifier}, {Qt::Key_Right, {}}})
                worstKey = std::max(worstKey, key(code, modifiers));
            const auto f8Start = std::chrono::steady_clock::now();
            frame.mnuToolDifference_Click(+1);
            paintThree();
            const double f8 = Since(f8Start);
            const double only = filter(true);
            const qint64 rows = GridWindows()[2]->MSFlexGrid1()->Rows() - 1;
            filter(false);
            const auto* result = GridWindows()[2]->MSFlexGrid1()->Store().comparison();
            std::printf("precision rule at %d digits, S %s: %llu beyond the tolerance of %llu; first paint %.1f ms, slowest key "
                        "%.1f ms, F8 %.1f ms, only differing rows %.1f ms (%lld rows)\n",
                        digits, hide ? "hidden" : "shown", static_cast<unsigned long long>(result->figures.beyondTolerance),
                        static_cast<unsigned long long>(result->differing()), firstPaint * 1e3, worstKey * 1e3, f8 * 1e3,
                        only * 1e3, static_cast<long long>(rows));
        }
    }
    return 0;
}

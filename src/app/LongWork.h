#pragma once
// Work that may take a while runs on another thread while the windows stay painted. Once it has
// taken longer than showAfter, a progress bar shows in the given status bar and Esc asks the
// work to stop; other input waits until the work is done.

#include <QString>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

class QStatusBar;

struct WorkProgress {
    std::atomic<std::uint64_t> done{0};
    std::atomic<std::uint64_t> total{0}; // 0: no measure, the bar just moves
    std::atomic<bool> cancelled{false};  // set by Esc; the work looks at it
};

// Whether such work is running now (the event loop turns meanwhile).
bool LongWorkRunning();

// Runs work to its end; true unless Esc cancelled it.
bool RunLongWork(QStatusBar* bar, const QString& what, const std::function<void(WorkProgress&)>& work,
                 std::chrono::milliseconds showAfter = std::chrono::milliseconds(500));

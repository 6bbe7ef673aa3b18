#include "LongWork.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <thread>

namespace {

// While the work runs: Esc cancels it, and no other input reaches the windows.
class InputGate : public QObject {
public:
    explicit InputGate(WorkProgress& progress)
        : progress_(progress)
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
                progress_.cancelled = true;
            return true;
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::Drop:
        case QEvent::Close:
            return true;
        default:
            return false;
        }
    }

private:
    WorkProgress& progress_;
};

int Running = 0; // works under way, one inside another's event loop included

} // namespace

bool LongWorkRunning()
{
    return Running > 0;
}

bool RunLongWork(QStatusBar* bar, const QString& what, const std::function<void(WorkProgress&)>& work,
                 std::chrono::milliseconds showAfter)
{
    struct Counted {
        Counted() { ++Running; }
        ~Counted() { --Running; }
    } counted;
    WorkProgress progress;
    std::atomic<bool> finished{false};
    QEventLoop loop;
    std::thread worker([&] {
        work(progress);
        finished = true;
        // The loop ends as soon as the work does, not at the next look at the progress.
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });

    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    QProgressBar* meter = nullptr;
    QLabel* label = nullptr;
    InputGate gate(progress);
    qApp->installEventFilter(&gate);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (finished) {
            loop.quit();
            return;
        }
        if (!meter && bar && clock.elapsed() >= showAfter.count()) {
            label = new QLabel(what + QStringLiteral(" (Esc cancels)"), bar);
            meter = new QProgressBar(bar);
            meter->setMaximumWidth(200);
            bar->addWidget(label);
            bar->addWidget(meter);
        }
        if (meter) {
            const std::uint64_t total = progress.total;
            meter->setRange(0, total ? 1000 : 0);
            if (total)
                meter->setValue(int(1000 * progress.done / total));
        }
    });
    poll.start(30);
    if (!finished)
        loop.exec(QEventLoop::AllEvents);
    worker.join();
    qApp->removeEventFilter(&gate);
    delete meter;
    delete label;
    return !progress.cancelled;
}

#include "app/LongWork.h"

#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

TEST(LongWork, ShowsProgressKeepsInputOutAndEscCancels)
{
    QMainWindow window;
    QPushButton button("press", &window);
    window.setCentralWidget(&button);
    window.show();
    QSignalSpy clicks(&button, &QPushButton::clicked);
    bool barShown = false;
    QTimer::singleShot(150, &window, [&] {
        barShown = window.statusBar()->findChild<QProgressBar*>() != nullptr;
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::keyClick(&button, Qt::Key_Escape);
    });
    const bool finished = RunLongWork(window.statusBar(), "Working", [](WorkProgress& progress) {
        progress.total = 10;
        for (int i = 0; i < 500 && !progress.cancelled; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }, std::chrono::milliseconds(0));
    EXPECT_FALSE(finished) << "Esc cancelled it";
    EXPECT_TRUE(barShown);
    EXPECT_EQ(clicks.count(), 0) << "no click reached the window meanwhile";
    EXPECT_EQ(window.statusBar()->findChild<QProgressBar*>(), nullptr) << "the bar goes with the work";

    // Quick work shows nothing and finishes.
    EXPECT_TRUE(RunLongWork(window.statusBar(), "Quick", [](WorkProgress&) {}));
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1) << "input flows again";
}

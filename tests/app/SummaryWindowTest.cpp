// Tool > Summary: the comparison by column as the core sums it up, sorting, going to a figure's
// cell, and the histogram as painted; it follows the next comparison.

#include "app/SummaryWindow.h"
#include "support/FrameFixture.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QToolTip>
#include <QHelpEvent>

namespace {

class SummaryWindowTest : public FrameFixture {
protected:
    SummaryWindowTest()
        : FrameFixture({1200, 700})
    {
        placeSideBySide(400);
        // Column 1 agrees; column 2 differs in three rows; column 3 holds a "D" and a gross difference.
        load(folder.write("a.txt", "1 2.0 x\n2 3.0 4\n3 4.0 5\n4 1000 6\n"), folder.write("b.txt", "1 2.1 y\n2 3.0 40\n3 4.001 5\n4 1100 6\n"));
        frame.mnuToolSummary()->trigger();
    }
    QTableWidget* table() { return SummaryWindow::Table(); }
    QString at(int row, int col) { return table()->item(row, col)->text(); }
};

} // namespace

TEST_F(SummaryWindowTest, FiguresByColumnSortedAndGoneTo)
{
    ASSERT_TRUE(table());
    ASSERT_EQ(table()->rowCount(), 3);
    // Column, rows compared, "D" cells and cells with digits: column 2 has three, column 3 a "D" and 4 against 40.
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ((QStringList{at(r, 0), at(r, 2), at(r, 3), at(r, 5)}), (QStringList{QString::number(r + 1), "4", r == 2 ? "1" : "0", QString("031")[r]})) << r;
    EXPECT_EQ(QStringList({at(1, 6), at(2, 7), at(0, 6)}), QStringList({"1.00 at R4 C2", "36 at R2 C3", ""}));

    // Sorted by the lowest agreement: the figure's value, not its text.
    table()->sortItems(6, Qt::DescendingOrder);
    EXPECT_EQ(at(0, 0), "2");
    table()->sortItems(5, Qt::AscendingOrder);
    EXPECT_EQ(at(2, 0), "2") << "the most digits last";
    table()->sortItems(7, Qt::AscendingOrder);
    EXPECT_EQ(at(1, 0), "3") << "36 before 100, as numbers";
    EXPECT_EQ(at(2, 0), "2");

    // A double-click on a figure selects its cell in the three windows.
    table()->sortItems(0, Qt::AscendingOrder);
    emit table()->itemDoubleClicked(table()->item(2, 7));
    for (int slot = 0; slot < 3; ++slot)
        EXPECT_EQ(block(slot), (GridBlock{2, 3, 2, 3})) << slot;
}

TEST_F(SummaryWindowTest, HistogramPaintedAndFollowingTheComparison)
{
    QWidget* histogram = SummaryWindow::Histogram();
    ASSERT_TRUE(histogram);
    auto painted = [&] { return PaintRecorder::Of(histogram); };
    // "D", and the digits of 2.0/2.1 (1.30), 4.0/4.001 (3.6) and 4/40 (-0.95).
    const auto recorder = painted();
    const QStringList labels = recorder->allTexts();
    for (const char* label : {"D", "<0", "1", "3"})
        EXPECT_TRUE(labels.contains(label)) << label << " in " << labels.join(' ').toStdString();
    // One bar per bin, in its colour on the colour map.
    const QColor red(236, 112, 99);
    EXPECT_TRUE(std::any_of(recorder->fills.begin(), recorder->fills.end(), [&](const auto& fill) { return fill.color == red; }));
    // A bar tells its cells as a tool tip: the bar of 1 digit holds 2.0/2.1 only (1000/1100 falls
    // just under 1 digit, as 0.1 is a little over a tenth as a double).
    // (the lowest "1": the bar's label under the axis, not a count above a bar)
    auto label = recorder->texts.end();
    for (auto text = recorder->texts.begin(); text != recorder->texts.end(); ++text)
        if (text->text == "1" && (label == recorder->texts.end() || text->position.y() > label->position.y()))
            label = text;
    ASSERT_NE(label, recorder->texts.end());
    const qreal x = label->position.x() + 2;
    const auto bar = std::find_if(recorder->fills.begin(), recorder->fills.end(), [&](const auto& fill) {
        return fill.rect.left() <= x && fill.rect.right() >= x && fill.rect.bottom() < label->position.y() && fill.rect.height() > 4;
    });
    ASSERT_NE(bar, recorder->fills.end());
    const QPoint inBar = bar->rect.center().toPoint();
    QHelpEvent help(QEvent::ToolTip, inBar, histogram->mapToGlobal(inBar));
    QApplication::sendEvent(histogram, &help);
    EXPECT_EQ(QToolTip::text(), "1 cell with 1 digits in common");

    // A new comparison: the window follows.
    EXPECT_TRUE(modMain::LoadFile(window(1), folder.write("c.txt", "1 2.0 x\n2 3.0 4\n3 4.0 5\n4 1000 6\n")));
    modMain::CompareGrids();
    EXPECT_EQ(table()->item(2, 3)->text(), "0");
    EXPECT_TRUE(painted()->textsIn(histogram->rect()).contains("No differing cells"));

    // Escape closes it.
    QWidget* summary = SummaryWindow::Window();
    summary->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(summary, 20000));
    QTest::keyClick(table(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([] { return !SummaryWindow::Window() || !SummaryWindow::Window()->isVisible(); }, 20000));
}

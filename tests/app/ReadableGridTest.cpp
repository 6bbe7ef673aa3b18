// What a person reads off the grid windows: fitted widths, numbers that never show a wrong
// prefix, the linked selection moved with the keys, marks after a comparison, the header
// corner, status panels and the hints of empty grids.

#include "app/ColourMap.h"
#include "grid/ColumnFit.h"
#include "support/FrameFixture.h"

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QToolBar>

namespace {

class ReadableGridTest : public FrameFixture {
protected:
    ReadableGridTest()
        : FrameFixture({1500, 900})
    {
        placeSideBySide(500);
    }

    // rows x cols numbers printed like simulation output, scaled by a factor.
    QString numbers(const QString& name, int rows, int cols, double factor = 1, const char* format = "%.9e")
    {
        QByteArray text;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                text += QString::asprintf(format, (r + 1) * 1.234567891e-3 * (c % 2 ? -1 : 1) * factor * (c + 1))
                    .toUtf8() + (c + 1 < cols ? " " : "\n");
        return folder.write(name, text);
    }
};

// A press of the left button, a move and the release where it moved to.
void Drag(QWidget* widget, const QPoint& from, const QPoint& to)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    QTest::mouseMove(widget, to);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
}

double Pixels(MSFlexGrid* g, qint64 col)
{
    return g->ColWidth(col) / g->TwipsPerPixelX();
}

} // namespace

TEST_F(ReadableGridTest, LoadsFitEveryColumnToItsTextsAndTheOptionSwitchesItOff)
{
    // A long text in column 3 must not make it a screen wide.
    QByteArray text = "1.234567890e-02 -3.523158000e+02 short 7\n"
                      "-7.645926644e-02 1.000000000e+00 " + QByteArray(300, 'x') + " 8\n";
    for (int r = 0; r < 300; ++r)
        text += QString::asprintf("%.9e %.9e t %d\n", r * 1.5e-7, -r * 3.1e5, r).toUtf8();
    ASSERT_TRUE(modMain::LoadFile(window(0), folder.write("a.txt", text)));
    MSFlexGrid* g = grid(0);
    const QFontMetricsF metrics(g->Model()->font());
    QFont bold = g->Model()->font();
    bold.setBold(true);
    const QFontMetricsF heavy(bold);
    for (qint64 c = 1; c < g->Cols(); ++c) {
        double widest = 0;
        for (qint64 r = 1; r < g->Rows(); ++r)
            widest = std::max(widest, metrics.horizontalAdvance(g->TextMatrix(r, c)));
        widest = std::min(widest, ColumnFit::MaximumDigits * metrics.horizontalAdvance("0"));
        EXPECT_GE(Pixels(g, c) + 1, widest + 2 * metrics.horizontalAdvance("0")) << "column " << c;
    }
    EXPECT_LE(Pixels(g, 3), (ColumnFit::MaximumDigits + 2) * metrics.horizontalAdvance("0") + 1) << "capped";
    EXPECT_GE(Pixels(g, 0) + 1, heavy.horizontalAdvance(g->TextMatrix(g->Rows() - 1, 0))) << "the line numbers fit";
    // What is painted: every number whole, not one '#'.
    const auto shown = painted(0);
    for (qint64 c = 1; c <= 2; ++c)
        EXPECT_TRUE(shown->textsIn(cellRect(0, 2, c)).contains(g->TextMatrix(2, c))) << "column " << c;

    // A width the user dragged stays through a comparison, until the next load.
    g->horizontalHeader()->resizeSection(0, 30);
    ASSERT_TRUE(modMain::LoadFile(window(1), numbers("b.txt", 5, 4)));
    modMain::CompareGrids();
    EXPECT_EQ(g->columnWidth(0), 30);
    EXPECT_GT(grid(2)->columnWidth(0), 0);
    ASSERT_TRUE(modMain::LoadFile(window(0), folder.path("a.txt")));
    EXPECT_GT(g->columnWidth(0), 30);

    // Switched off: saved at once, and loads leave the widths alone.
    frame.mnuToolFitWidths()->trigger();
    EXPECT_EQ(modUtil::ReadInteger("Tool", "FitWidths", 1), 0);
    g->horizontalHeader()->resizeSection(0, 30);
    ASSERT_TRUE(modMain::LoadFile(window(0), folder.path("a.txt")));
    EXPECT_EQ(g->columnWidth(0), 30);
    frame.mnuToolFitWidths()->trigger();
    EXPECT_EQ(modUtil::ReadInteger("Tool", "FitWidths", 0), -1);
}

TEST_F(ReadableGridTest, TheCompareGridIsFittedToItsVerdicts)
{
    load(numbers("a.txt", 40, 3), numbers("b.txt", 40, 3, 1.000001));
    MSFlexGrid* g = grid(2);
    const QFontMetricsF metrics(g->Model()->font());
    for (qint64 c = 1; c < g->Cols(); ++c)
        EXPECT_GE(Pixels(g, c) + 1, metrics.horizontalAdvance(g->TextMatrix(20, c)) + 2 * metrics.horizontalAdvance("0"));
}

TEST_F(ReadableGridTest, SamplingBoundsTheRowsMeasured)
{
    EXPECT_EQ(ColumnFit::SampleRows(3), (std::vector<qint64>{0, 1, 2}));
    const auto rows = ColumnFit::SampleRows(1'000'000);
    EXPECT_LE(rows.size(), 6000u);
    EXPECT_EQ(rows.front(), 0);
    EXPECT_EQ(rows.back(), 999'999) << "the last rows (the widest line numbers) are measured";
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [](qint64 r) { return r > 400'000 && r < 600'000; }));
}

TEST_F(ReadableGridTest, ANumberTooWideShowsHashesAndATextElides)
{
    // The fourth cell holds a megabyte: shown and told of by its first 4,096 bytes, never half a character.
    const QString huge = "x" + QString(500'000, QChar(0xE9));
    ASSERT_TRUE(modMain::LoadFile(window(0), folder.write("a.txt", "-3.523158e+02 a-long-word-of-text 7 " + huge.toUtf8() + "\n")));
    MSFlexGrid* g = grid(0);
    g->setColumnWidth(0, 40);
    g->setColumnWidth(1, 40);
    const auto shown = painted(0);
    const QStringList number = shown->textsIn(cellRect(0, 1, 1));
    ASSERT_EQ(number.size(), 1);
    EXPECT_FALSE(number[0].isEmpty());
    EXPECT_EQ(number[0], QString(number[0].size(), '#')) << "never a prefix such as \"-3.52\"";
    const QStringList words = shown->textsIn(cellRect(0, 1, 2));
    ASSERT_EQ(words.size(), 1);
    EXPECT_TRUE(words[0].startsWith("a-") && words[0].endsWith(QChar(0x2026))) << words[0].toStdString();
    EXPECT_EQ(shown->textsIn(cellRect(0, 1, 3)), QStringList{"7"});

    // The whole text is in the tool tip and, once selected, in the text box.
    EXPECT_EQ(g->model()->data(g->model()->index(0, 0), Qt::ToolTipRole).toString(), "-3.523158e+02");
    const QString told = "x" + QString(2047, QChar(0xE9)) + QChar(0x2026);
    EXPECT_EQ(g->model()->data(g->model()->index(0, 3), Qt::ToolTipRole).toString(), told);
    g->setColumnWidth(3, 4000);
    const QStringList long4 = painted(0)->textsIn(cellRect(0, 1, 4));
    ASSERT_EQ(long4.size(), 1);
    EXPECT_TRUE(told.startsWith(long4[0].chopped(1))) << "a prefix of what is shown";
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cellRect(0, 1, 1).center());
    EXPECT_EQ(window(0).Text1()->text(), "-3.523158e+02");
    EXPECT_EQ(block(0), (GridBlock{1, 1, 1, 1})) << "the first row's cell alone, not its column";
}

TEST_F(ReadableGridTest, NavigationKeysMoveTheLinkedSelection)
{
    load(numbers("a.txt", 300, 6), numbers("b.txt", 250, 6, 2));
    MSFlexGrid* g = grid(0);
    g->setFocus();
    const qint64 page = g->PageRows();
    ASSERT_GT(page, 3);
    struct Step { int key; Qt::KeyboardModifiers modifiers; GridBlock block; };
    const Step steps[] = {
        {Qt::Key_Down, {}, {2, 1, 2, 1}}, {Qt::Key_Right, {}, {2, 2, 2, 2}},
        {Qt::Key_Down, Qt::ShiftModifier, {2, 2, 3, 2}}, {Qt::Key_Right, Qt::ShiftModifier, {2, 2, 3, 3}},
        {Qt::Key_Left, {}, {2, 1, 2, 1}},
        {Qt::Key_Left, {}, {2, 1, 2, 1}}, // never into the header column
        {Qt::Key_Up, {}, {1, 1, 1, 1}}, {Qt::Key_Up, {}, {1, 1, 1, 1}},
        {Qt::Key_PageDown, {}, {1 + page, 1, 1 + page, 1}}, {Qt::Key_PageUp, {}, {1, 1, 1, 1}},
        {Qt::Key_End, {}, {1, 6, 1, 6}}, {Qt::Key_Home, {}, {1, 1, 1, 1}},
        {Qt::Key_End, Qt::ControlModifier, {300, 6, 300, 6}},
        {Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier, {300, 6, 1, 1}},
        {Qt::Key_Home, Qt::ControlModifier, {1, 1, 1, 1}}, {Qt::Key_A, Qt::ControlModifier, {1, 1, 300, 6}},
    };
    for (const Step& step : steps) {
        QTest::keyClick(g, Qt::Key(step.key), step.modifiers);
        const GridBlock& b = step.block;
        const std::string at = "after key " + std::to_string(step.key);
        EXPECT_EQ(block(0), b) << at;
        // The other windows show the same block, clamped to their own size.
        const GridBlock inFile2{std::min<qint64>(b.row, 250), b.col, std::min<qint64>(b.rowSel, 250), b.colSel};
        EXPECT_EQ(block(1), inFile2) << at;
        EXPECT_EQ(block(2), inFile2) << at;
        // Painted: the block in the selection colour, its column header marked; the moved cell in view.
        const qint64 focusRow = step.modifiers & Qt::ShiftModifier ? b.rowSel : b.row;
        const qint64 focusCol = step.modifiers & Qt::ShiftModifier ? b.colSel : b.col;
        EXPECT_TRUE(g->viewport()->rect().contains(cellRect(0, focusRow, focusCol))) << at;
        EXPECT_EQ(cellColour(0, focusRow, focusCol), g->BackColorSel()) << at;
        // The block is painted into every grid's cell formats, the selection colours.
        for (int slot = 0; slot < 3; ++slot) {
            MSFlexGrid* grid = window(slot).MSFlexGrid1();
            const qint64 row = std::min<qint64>(focusRow, grid->Rows() - 1);
            EXPECT_EQ(grid->Model()->formats().backColor(row, focusCol).value_or(QColor()), grid->BackColorSel()) << at << " slot " << slot;
            EXPECT_EQ(grid->Model()->formats().foreColor(row, focusCol).value_or(QColor()), grid->BackColor()) << at << " slot " << slot;
        }
        // The one focus frame is on the current cell.
        const auto frames = painted(0)->outlines;
        const QRect current = cellRect(0, b.row, b.col);
        EXPECT_TRUE(std::all_of(frames.begin(), frames.end(), [&](const PaintRecorder::Fill& frame) {
            return current.adjusted(-2, -2, 2, 2).contains(frame.rect.toAlignedRect());
        })) << at << ": " << frames.size() << " outlines";
        EXPECT_EQ(grid(1)->LeftCol(), g->LeftCol()) << at << ": the grids scroll together";
        EXPECT_EQ(grid(1)->TopRow(), std::min(g->TopRow(), grid(1)->TopRow())) << at;
        EXPECT_EQ(grid(2)->TopRow(), grid(1)->TopRow()) << at;
    }
}

TEST_F(ReadableGridTest, TheFileGridsMarkTheDifferencesAsSoonAsTheComparisonEnds)
{
    load(folder.write("a.txt", "1 2 3\n4 5 6\n"), folder.write("b.txt", "1 2 3\n4 9 6\n"), false);
    QApplication::processEvents();
    // What reaches the screen, not a fresh rendering: the window's backing store.
    auto onScreen = [&](int slot, qint64 row, qint64 col) {
        MSFlexGrid* g = grid(slot);
        const QPoint at = g->viewport()->mapTo(&frame, cellRect(slot, row, col).topLeft() + QPoint(3, 3));
        return frame.screen()->grabWindow(frame.winId(), at.x(), at.y(), 1, 1).toImage().pixelColor(0, 0);
    };
    EXPECT_NE(onScreen(0, 2, 2), ColourMap::FileMark());
    modMain::CompareGrids();
    QApplication::processEvents();
    EXPECT_EQ(std::tuple(onScreen(0, 2, 2), onScreen(1, 2, 2), onScreen(1, 2, 1) == ColourMap::FileMark()),
              std::tuple(ColourMap::FileMark(), ColourMap::FileMark(), false));
}

TEST_F(ReadableGridTest, TheHeaderCornerSelectsEverythingAndItsDoubleClickFits)
{
    load(numbers("a.txt", 30, 4), numbers("b.txt", 30, 4), false);
    MSFlexGrid* g = grid(0);
    // A click lands on whatever widget is at that point of the grid.
    const QPoint inGrid(g->verticalHeader()->width() / 2, g->horizontalHeader()->height() / 2);
    QWidget* cornerWidget = g->childAt(inGrid);
    ASSERT_NE(cornerWidget, nullptr);
    const QPoint corner = cornerWidget->mapFrom(g, inGrid);
    QTest::mouseClick(cornerWidget, Qt::LeftButton, {}, corner);
    for (int slot = 0; slot < 2; ++slot)
        EXPECT_EQ(block(slot), (GridBlock{1, 1, 30, 4})) << "slot " << slot;
    for (int c = 0; c < 4; ++c)
        g->setColumnWidth(c, 12);
    QTest::mouseDClick(cornerWidget, Qt::LeftButton, {}, corner);
    for (int c = 0; c < 4; ++c)
        EXPECT_GT(g->columnWidth(c), 40) << "column " << c + 1;
}

TEST_F(ReadableGridTest, HeaderDragsKeepWholeColumnsAndBorderDragsKeepTheBlock)
{
    load(numbers("a.txt", 30, 5, 1, "%.2f"), numbers("b.txt", 30, 5, 1, "%.2f"), false);
    MSFlexGrid* g = grid(0);
    QWidget* header = g->horizontalHeader()->viewport();
    auto headerCentre = [&](int col) {
        return QPoint(g->horizontalHeader()->sectionViewportPosition(col - 1) + g->columnWidth(col - 1) / 2, header->height() / 2);
    };
    Drag(header, headerCentre(2), headerCentre(4));
    for (int slot = 0; slot < 2; ++slot)
        EXPECT_EQ(block(slot), (GridBlock{1, 2, 30, 4})) << "slot " << slot;

    // Likewise whole rows along the row headers.
    QWidget* rows = g->verticalHeader()->viewport();
    auto rowCentre = [&](int row) { return QPoint(rows->width() / 2, g->verticalHeader()->sectionViewportPosition(row - 1) + 5); };
    Drag(rows, rowCentre(3), rowCentre(5));
    EXPECT_EQ(block(1), (GridBlock{3, 1, 5, 5}));
    // Scrolled down, from the first row in view to the third.
    ASSERT_TRUE(g->SetTopRow(11));
    Drag(rows, QPoint(rows->width() / 2, 5), QPoint(rows->width() / 2, 2 * g->verticalHeader()->defaultSectionSize() + 5));
    EXPECT_EQ(block(1), (GridBlock{11, 1, 13, 5}));
    ASSERT_TRUE(g->SetTopRow(1));

    Drag(header, headerCentre(2), headerCentre(4)); // again, for the border below

    // A border between two column headers resizes and selects nothing.
    const int border = g->horizontalHeader()->sectionViewportPosition(1) + g->columnWidth(1) - 1;
    const int before = g->columnWidth(1);
    Drag(header, QPoint(border, header->height() / 2), QPoint(border + 30, header->height() / 2));
    EXPECT_GT(g->columnWidth(1), before + 20);
    EXPECT_EQ(std::pair(block(0), GridBlock{g->Row(), g->Col(), g->RowSel(), g->ColSel()}),
              std::pair(GridBlock{1, 2, 30, 4}, GridBlock{1, 2, 30, 4}));
}

TEST_F(ReadableGridTest, DraggingPastTheBottomScrollsOn)
{
    load(numbers("a.txt", 400, 3), numbers("b.txt", 400, 3), false);
    MSFlexGrid* g = grid(0);
    QWidget* viewport = g->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, cellRect(0, 2, 1).center());
    QTest::mouseMove(viewport, QPoint(cellRect(0, 2, 1).center().x(), viewport->height() + 20));
    const qint64 lastInView = g->RowSel();
    EXPECT_LT(lastInView, 100) << "beyond the edge the block ends at the last row in view, not the table's";
    QTest::qWait(400);
    EXPECT_GT(g->TopRow(), 1);
    EXPECT_GT(g->RowSel(), lastInView);
    EXPECT_EQ(grid(1)->TopRow(), g->TopRow()) << "the other grids scroll along";
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(10, viewport->height() + 20));
    const qint64 top = g->TopRow();
    QTest::qWait(150);
    EXPECT_EQ(g->TopRow(), top) << "scrolling stops with the release";
    EXPECT_EQ(window(1).MSFlexGrid_CurRowSel(), g->RowSel());
}

TEST_F(ReadableGridTest, AtTheEndOfTheScrollRangeTheLastRowAndColumnAreWhole)
{
    ASSERT_TRUE(modMain::LoadFile(window(0), numbers("a.txt", 200, 12)));
    MSFlexGrid* g = grid(0);
    g->verticalScrollBar()->setValue(g->verticalScrollBar()->maximum());
    g->horizontalScrollBar()->setValue(g->horizontalScrollBar()->maximum());
    QApplication::processEvents();
    const QRect last = cellRect(0, 200, 12);
    EXPECT_TRUE(g->viewport()->rect().contains(last))
        << last.x() << "," << last.y() << " " << last.width() << "x" << last.height() << " in " << g->viewport()->width() << "x"
        << g->viewport()->height();
}

TEST_F(ReadableGridTest, StatusPanelsAreAsWideAsTheirTexts)
{
    window(0).SubWindow()->resize(330, 400);
    QByteArray big;
    for (int r = 0; r < 2001; ++r)
        big += QString::asprintf("%.9e %d\n", r * 1e-3, r).toUtf8();
    ASSERT_TRUE(modMain::LoadFile(window(0), folder.write("a.txt", big)));
    QApplication::processEvents();
    QStatusBar* bar = window(0).StatusBar1();
    for (const char* key : {"Dimension", "Size", "DateLastModified"}) {
        QLabel* panel = StatusPanels::Panel(bar, key);
        EXPECT_GE(panel->contentsRect().width(), panel->fontMetrics().horizontalAdvance(panel->text())) << key;
    }

    // The frame's leftover panel elides a long message and keeps it whole in its tool tip.
    const QString message = "Changed on disk: " + QString(300, 'x') + " - the end";
    StatusPanels::SetText(frame.StatusBar1(), "Space0", message);
    QLabel* leftover = StatusPanels::Panel(frame.StatusBar1(), "Space0");
    QApplication::processEvents();
    EXPECT_EQ(leftover->toolTip(), message);
    EXPECT_TRUE(StatusPanels::ShownText(leftover).endsWith(QChar(0x2026)));
    for (const char* key : {"Date", "Time"}) {
        QLabel* panel = StatusPanels::Panel(frame.StatusBar1(), key);
        EXPECT_GE(panel->contentsRect().width(), panel->fontMetrics().horizontalAdvance(panel->text())) << key;
    }
}

TEST_F(ReadableGridTest, EmptyGridsSayWhatToDoUntilTheyShowSomething)
{
    QApplication::processEvents();
    EXPECT_TRUE(shown(0).join(' ').contains("Ctrl+O")) << shown(0).join(' ').toStdString();
    EXPECT_TRUE(shown(2).join(' ').contains("Compare")) << shown(2).join(' ').toStdString();

    load(numbers("a.txt", 3, 3), numbers("b.txt", 3, 3), false);
    EXPECT_FALSE(shown(0).join(' ').contains("Ctrl+O"));
    EXPECT_TRUE(shown(2).join(' ').contains("Compare"));
    modMain::CompareGrids();
    EXPECT_FALSE(shown(2).join(' ').contains("Compare"));
}

TEST(ColourMapAcrossFrames, ANewFrameMarksItsOwnComparisonOnly)
{
    // Each frame's first comparison has the same generation number: nothing of the first may
    // show in the second.
    const TempFolder folder;
    FakePlatform fake;
    const QString a = folder.write("a.txt", "1 2 3\n");
    for (const char* second : {"1 2 9\n", "9 2 3\n"}) {
        mdiMain frame;
        frame.MDIForm_Load();
        frame.show();
        ASSERT_TRUE(modMain::LoadFile(*GridWindows()[0], a));
        ASSERT_TRUE(modMain::LoadFile(*GridWindows()[1], folder.write("b.txt", second)));
        modMain::CompareGrids();
        GridModel* model = GridWindows()[2]->MSFlexGrid1()->Model();
        const auto marked = [&](int col) {
            return model->headerData(col, Qt::Horizontal, Qt::BackgroundRole).value<QColor>() == ColourMap::HeaderMark();
        };
        const bool thirdDiffers = QByteArray(second) == "1 2 9\n";
        EXPECT_EQ(std::pair(marked(2), marked(0)), std::pair(thirdDiffers, !thirdDiffers)) << second;
    }
}

TEST_F(ReadableGridTest, TheCellAKeyMovesToIsScrolledWhollyIntoView)
{
    // Far more columns than the window shows.
    ASSERT_TRUE(modMain::LoadFile(window(0), numbers("a.txt", 300, 30)));
    MSFlexGrid* g = grid(0);
    g->setFocus();
    const struct { int key; Qt::KeyboardModifiers modifiers; qint64 row, col; } steps[] = {
        {Qt::Key_End, Qt::ControlModifier, 300, 30}, {Qt::Key_Home, Qt::ControlModifier, 1, 1}, {Qt::Key_End, {}, 1, 30},
        {Qt::Key_Home, {}, 1, 1},                    {Qt::Key_PageDown, {}, 1 + g->PageRows(), 1},
    };
    for (const auto& step : steps) {
        QTest::keyClick(g, Qt::Key(step.key), step.modifiers);
        ASSERT_EQ(std::pair(g->Row(), g->Col()), std::pair(step.row, step.col));
        EXPECT_TRUE(g->viewport()->rect().contains(cellRect(0, step.row, step.col))) << step.key << " to " << step.row << "," << step.col;
    }
    // Rightwards, the grid scrolls just enough: one column less and the cell would be cut.
    QTest::keyClick(g, Qt::Key_Home, {});
    while (g->LeftCol() == 1 && g->Col() < 20)
        QTest::keyClick(g, Qt::Key_Right, {});
    ASSERT_GT(g->LeftCol(), 1);
    const QRect cell = cellRect(0, g->Row(), g->Col());
    EXPECT_LE(cell.right(), g->viewport()->width());
    EXPECT_GT(cell.right() + g->columnWidth(int(g->LeftCol() - 2)), g->viewport()->width());
    // A longer grid scrolled to at once, before Qt lays the view out again.
    g->SetRows(3001);
    g->EnsureVisible(3000, 1);
    EXPECT_EQ(g->TopRow(), 3000 - g->PageRows() + 1);
}

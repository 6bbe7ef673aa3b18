// Selection, scrolling, widths and drops across the three grid windows of a real frame.

#include "app/ColourMap.h"
#include "grid/modFlexGrid.h"
#include "settings/KeyFilter.h"
#include "support/FrameFixture.h"

#include <QClipboard>
#include <QLabel>
#include <QDir>
#include <QFontMetricsF>
#include <QRegularExpression>

namespace {

class InteractionTest : public FrameFixture {
protected:
    QString table(int rows, int cols)
    {
        QString text;
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c)
                text += QString::number(r * 100 + c) + (c + 1 < cols ? " " : "\n");
        }
        return folder.write(QStringLiteral("t%1x%2.txt").arg(rows).arg(cols), text.toUtf8());
    }
    // What a cell shows: its background, text colour and boldness.
    std::tuple<QColor, QColor, bool> look(int slot, qint64 row, qint64 col)
    {
        GridModel* model = grid(slot)->Model();
        const bool header = row == 0 || col == 0;
        const QVariant back = header ? model->headerData(int((row == 0 ? col : row) - 1), row == 0 ? Qt::Horizontal : Qt::Vertical, Qt::BackgroundRole)
                                     : model->data(model->index(int(row - 1), int(col - 1)), Qt::BackgroundRole);
        const QVariant fore = header ? QVariant() : model->data(model->index(int(row - 1), int(col - 1)), Qt::ForegroundRole);
        const QVariant font = header ? model->headerData(int((row == 0 ? col : row) - 1), row == 0 ? Qt::Horizontal : Qt::Vertical, Qt::FontRole)
                                     : model->data(model->index(int(row - 1), int(col - 1)), Qt::FontRole);
        return {back.value<QColor>(), fore.value<QColor>(), font.value<QFont>().bold()};
    }

};

const QColor Grey(184, 184, 184);

} // namespace

TEST_F(InteractionTest, ABlockShowsInAllThreeGridsAndTheShorterOneIsClamped)
{
    load(table(10, 6), table(4, 3), false);
    // Dragged from bottom-right to top-left: last before first.
    for (int slot = 0; slot < 3; ++slot)
        frmGrid::MSFlexGrid_ShowSelection(window(slot), 8, 5, 2, 2);
    EXPECT_EQ(block(0), (GridBlock{8, 5, 2, 2}));
    EXPECT_EQ(block(1), (GridBlock{4, 3, 2, 2})) << "clamped to the last row and column of File 2";
    EXPECT_EQ(block(2), (GridBlock{1, 1, 1, 1})) << "the Compare grid is 2 x 2 before any comparison";

    const MSFlexGrid* g = grid(0);
    EXPECT_EQ(look(0, 5, 3), std::make_tuple(g->BackColorSel(), g->ForeColorSel(), false)) << "the selection colours";
    // Headers of the block grey, its column header bold; the others as ever.
    EXPECT_EQ(std::tuple(std::get<0>(look(0, 0, 4)), std::get<2>(look(0, 0, 4)), std::get<0>(look(0, 7, 0)), std::get<0>(look(0, 0, 1)),
                         std::get<0>(look(0, 9, 0))),
              std::tuple(Grey, true, Grey, g->BackColorFixed(), g->BackColorFixed()));
    EXPECT_EQ(window(0).Text1()->text(), "704") << "the current cell (8, 5)";

    // A second block undoes the first everywhere.
    for (int slot = 0; slot < 3; ++slot)
        frmGrid::MSFlexGrid_ShowSelection(window(slot), 1, 1, 1, 1);
    EXPECT_EQ(look(0, 5, 3), std::make_tuple(g->BackColor(), g->ForeColor(), false));
    EXPECT_EQ(std::tuple(look(0, 0, 4), std::get<0>(look(1, 3, 2))),
              std::tuple(std::tuple(g->BackColorFixed(), QColor(), false), grid(1)->BackColor()));
    EXPECT_LE(g->Model()->formats().entries(), 8u) << "painting does not pile up";
}

TEST_F(InteractionTest, ScrollingIsLinkedAndAShorterGridIsSkipped)
{
    load(table(500, 4), table(50, 4));
    grid(0)->SetTopRow(12);
    EXPECT_EQ(std::tuple(grid(1)->TopRow(), grid(2)->TopRow()), std::tuple(12, 12));
    grid(1)->SetLeftCol(2);
    EXPECT_EQ(grid(0)->LeftCol(), grid(1)->LeftCol());
    grid(0)->SetTopRow(300);
    EXPECT_EQ(grid(0)->TopRow(), 300);
    EXPECT_LT(grid(1)->TopRow(), 51) << "a row past the shorter grid is refused quietly";
    EXPECT_EQ(grid(2)->TopRow(), grid(1)->TopRow());
    EXPECT_EQ(fake.messages.size(), 1u) << "no message beyond the comparison's";
}

TEST_F(InteractionTest, WidthsUniformAndFitted)
{
    load(table(3, 5), table(3, 8), false);
    for (int c = 1; c <= 5; ++c)
        grid(0)->SetColWidth(c, 600 + 100 * c);
    const double sixth = grid(1)->ColWidth(6);
    modFlexGrid::MSFlexGrid_UniWidth(window(0));
    EXPECT_NEAR(grid(1)->ColWidth(3), 900, 20);
    EXPECT_NEAR(grid(1)->ColWidth(6), sixth, 1) << "columns past the source's stay";
    EXPECT_NEAR(grid(2)->ColWidth(1), 700, 20) << "a narrower grid gets its own columns only";

    // A wrapped cell of several words, a bold header, and an empty column.
    MSFlexGrid* g = grid(0);
    g->SetTextMatrix(1, 2, "one two three four five six seven");
    g->SetTextMatrix(0, 3, "A-very-wide-header");
    g->SetTextMatrix(1, 4, "");
    g->SetTextMatrix(2, 4, "");
    g->SetTextMatrix(3, 4, "");
    g->SetTextMatrix(0, 4, "");
    g->SetCol(2);
    g->SetColSel(4);
    modFlexGrid::MSFlexGrid_FitColWidth(g, 1);
    QFont bold = g->Model()->font();
    bold.setBold(true);
    const double tx = g->TwipsPerPixelX();
    const QFontMetricsF plain(g->Model()->font());
    const QFontMetricsF heavy(bold);
    EXPECT_GE(g->ColWidth(3) / tx + 1, heavy.horizontalAdvance("A-very-wide-header") + 2 * plain.horizontalAdvance("0"));
    EXPECT_NEAR(g->ColWidth(4) / tx, plain.horizontalAdvance("00") + 2 * plain.horizontalAdvance("0"), 1.5);
    // Rows one line high: the words are widened onto one line.
    EXPECT_NEAR(g->ColWidth(2) / tx, plain.horizontalAdvance("one two three four five six seven") + 2 * plain.horizontalAdvance("0"), 3);
}

TEST_F(InteractionTest, TheCellTextBoxRefusesTypingWithABeep)
{
    QLineEdit* text = window(0).Text1();
    text->setText("42");
    for (int key : {Qt::Key_5, Qt::Key_A, Qt::Key_Backspace, Qt::Key_Space})
        QTest::keyClick(text, Qt::Key(key));
    EXPECT_EQ(std::pair(text->text(), fake.beeps), std::pair(QString("42"), 4));
    text->setCursorPosition(0);
    QTest::keyClick(text, Qt::Key_Delete);
    EXPECT_EQ(std::pair(text->text(), fake.beeps), std::pair(QString("2"), 4)) << "Delete types no character and still acts on the box";

    int x = 'x', capital = 'X';
    EXPECT_EQ(std::tuple(KeyFilter(x, "xy"), KeyFilter(capital, "xy"), capital, fake.beeps), std::tuple('x', 0, 0, 5));
}

TEST_F(InteractionTest, DifferenceNavigationMovesTheLinkedSelectionAndWraps)
{
    load(folder.write("a.txt", "1 2 3\n4 5 6\n7 8 9\n1 1 1\n"), folder.write("b.txt", "1 2.5 3\nx 5 6.0000001\n7 8 9.9\n"), false);
    frame.mnuToolDifference(+1)->trigger();
    EXPECT_EQ(status(), "No differences.") << "nothing compared yet";
    modMain::CompareGrids();

    // direction: +1 next, -1 previous, 0 worst
    struct Move { int direction; qint64 row, col; const char* message; };
    // (Next and previous with their wrapping are shown on aligned rows.)
    const std::vector<Move> moves = {
        {+1, 1, 2, "Difference 1 of 4 at R1 C2"}, {0, 2, 1, "Difference 2 of 4 at R2 C1"},
        {0, 1, 2, "Difference 1 of 4 at R1 C2"}, {0, 3, 3, "Difference 4 of 4 at R3 C3"},
        {0, 2, 3, "Difference 3 of 4 at R2 C3"},
        {0, 2, 1, "Difference 2 of 4 at R2 C1 - every difference visited, from the worst again."},
    };
    for (const auto& m : moves) {
        if (m.direction == 0)
            frame.mnuToolWorst()->trigger();
        else
            frame.mnuToolDifference(m.direction)->trigger();
        EXPECT_EQ(std::pair(window(2).MSFlexGrid_CurRow(), window(2).MSFlexGrid_CurCol()), std::pair(m.row, m.col)) << m.message;
        EXPECT_EQ(status(), m.message);
    }

    // A new comparison starts the worst-first walk again.
    modMain::CompareGrids();
    frame.mnuToolWorst()->trigger();
    EXPECT_EQ(status(), "Difference 2 of 4 at R2 C1");
}

TEST_F(InteractionTest, InspectorCopyAndFiguresPanel)
{
    load(folder.write("a.txt", "1 2 abc\n1.5 7 8\n"), folder.write("b.txt", "1 2 ABC\n1.6 7 80\n"));
    GridModel* model = grid(2)->Model();
    auto tip = [&](int row, int col) { return model->data(model->index(row - 1, col - 1), Qt::ToolTipRole).toString(); };
    // The Compare grid explains each cell (the explanations are the core's), the file grids show the whole text.
    EXPECT_TRUE(tip(2, 1).startsWith("File 1: 1.5\nFile 2: 1.6\nvalues: 1.5 and 1.6\n"));
    EXPECT_TRUE(tip(1, 1).endsWith("\nequal values"));
    EXPECT_EQ(grid(0)->Model()->data(grid(0)->Model()->index(0, 0), Qt::ToolTipRole).toString(), "1");

    // The figures panel, and a click on it goes to the lowest agreement.
    QLabel* figures = StatusPanels::Panel(window(2).StatusBar1(), "Space0");
    EXPECT_EQ(figures->text(), "3 beyond the tolerance (D 1, digits 2), S 0; largest difference beyond it 72 at R2 C3, "
                               "relative 9 at R2 C3; lowest agreement -0.95 at R2 C3");
    QTest::mouseClick(figures, Qt::LeftButton);
    EXPECT_EQ(block(0), (GridBlock{2, 3, 2, 3}));

    // Ctrl+C copies the selected block of a grid as TAB-separated lines.
    MSFlexGrid* g = grid(0);
    g->SetRow(1);
    g->SetCol(2);
    g->SetRowSel(2);
    g->SetColSel(3);
    g->setFocus();
    QTest::keyClick(g, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "2\tabc\n7\t8\n");
}

TEST_F(InteractionTest, ColourMapTintsDifferencesUnderPaintedSelections)
{
    load(folder.write("a.txt", "1 2 abc\n1.5 7 8\n1 1 1\n"), folder.write("b.txt", "1 2 ABC\n1.5000001 7 80\n1 1 1\n"));
    auto back = [&](int slot, qint64 row, qint64 col) { return std::get<0>(look(slot, row, col)); };
    const QColor strong = back(2, 1, 3);
    EXPECT_EQ(strong, back(2, 2, 3)) << "\"D\" and an agreement below 1 share the strongest tint";
    EXPECT_NE(back(2, 2, 1), strong) << "about 7 digits: a lighter tint";
    EXPECT_EQ(back(2, 3, 2), grid(2)->BackColor()) << "equal cells stay plain";
    EXPECT_EQ(std::tuple(back(0, 1, 3), back(1, 2, 1), back(0, 3, 2)),
              std::tuple(ColourMap::FileMark(), ColourMap::FileMark(), grid(0)->BackColor()));
    EXPECT_EQ(back(2, 0, 3), ColourMap::HeaderMark()) << "a column with differences";
    EXPECT_EQ(back(2, 0, 2), grid(2)->BackColorFixed());
    EXPECT_EQ(back(2, 2, 0), ColourMap::HeaderMark()) << "a row with differences";
    EXPECT_EQ(back(2, 3, 0), grid(2)->BackColorFixed());
    EXPECT_FALSE(StatusPanels::Panel(window(2).StatusBar1(), "Dimension")->toolTip().isEmpty()) << "the legend";

    // A painted selection shows on top, and undoing it brings the tint back.
    for (int slot = 0; slot < 3; ++slot)
        frmGrid::MSFlexGrid_ShowSelection(window(slot), 1, 2, 2, 3);
    EXPECT_EQ(std::tuple(back(2, 0, 3), back(2, 2, 3)), std::tuple(QColor(184, 184, 184), grid(2)->BackColorSel()));
    for (int slot = 0; slot < 3; ++slot)
        frmGrid::MSFlexGrid_ShowSelection(window(slot), 3, 1, 3, 1);
    EXPECT_EQ(std::tuple(back(2, 2, 3), back(2, 0, 3)), std::tuple(strong, ColourMap::HeaderMark()));

    // Switched off, the grids look as before, and the choice is kept.
    frame.mnuToolColourMap()->trigger();
    EXPECT_EQ(std::tuple(back(2, 2, 3), back(0, 1, 3), modUtil::ReadInteger("Tool", "ColourMap", 5)),
              std::tuple(grid(2)->BackColor(), grid(0)->BackColor(), qint16(0)));
    frame.mnuToolColourMap()->trigger();
    EXPECT_EQ(modUtil::ReadInteger("Tool", "ColourMap", 5), -1);
}

TEST_F(InteractionTest, AFileChangedOnDiskIsToldAndReloads)
{
    const QString a = folder.write("a.txt", "1 2\n");
    const QString b = folder.write("b.txt", "1 2\n");
    load(a, b, false);
    QTest::qWait(50);
    // Written over while a comparison starts: nothing is compared, and nothing of the file shows
    // (the table is read in place, and its bytes are no longer those it found).
    folder.write("a.txt", "1 2 3\n4 5 6\n");
    EXPECT_FALSE(modMain::CompareGrids());
    EXPECT_TRUE(fake.messages.empty()) << "no closing message";
    EXPECT_TRUE(status().startsWith("A file changed on disk while it was compared: nothing compared.")) << status().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return StatusPanels::Text(window(0).StatusBar1(), "Space0").startsWith("Changed on disk"); }, 3000));
    EXPECT_TRUE(shown(0).filter(QRegularExpression("^[1-6]$")).isEmpty());
    EXPECT_EQ(StatusPanels::Text(window(0).StatusBar1(), "Dimension"), "R0 x C1");
    EXPECT_TRUE(StatusPanels::Text(window(1).StatusBar1(), "Space0").isEmpty());

    modUtil::WriteString("Option", "ImmediateCompare", "1");
    frame.mnuFileReload()->trigger();
    EXPECT_EQ(StatusPanels::Text(window(0).StatusBar1(), "Dimension"), "R2 x C3");
    EXPECT_TRUE(StatusPanels::Text(window(0).StatusBar1(), "Space0").isEmpty());
    ASSERT_EQ(fake.messages.size(), 1u) << "compared after the reload";

    // Cut short while shown: the frame says it too, wide enough to read.
    QFile(b).resize(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return status() == window(1).Caption() + ": Changed on disk: File > Reload (F5) reads it again."; }, 3000))
        << status().toStdString();
    EXPECT_EQ(grid(1)->TextMatrix(1, 1), "");

    // A comparison of runs whose every value differs reads its agreements from the files again:
    // once one of them changes, the Compare window shows nothing of it either and says why.
    load(folder.write("c.txt", "1.5 2.5\n3.5 4.5\n"), folder.write("d.txt", "1.6 2.6\n3.6 4.6\n"), false);
    ASSERT_TRUE(modMain::CompareGrids());
    ASSERT_TRUE(grid(2)->Store().comparison()->verdicts.keepsKindsOnly());
    // -log10(0.1 / 1.5) = 1.18 and -log10(0.1 / 4.5) = 1.65, worked out again from the files
    EXPECT_TRUE(shown(2).contains("1.18"));
    EXPECT_TRUE(shown(2).contains("1.65"));
    // File 1 shows another file by now: the Compare window hears of the change itself.
    ASSERT_TRUE(modMain::LoadFile(window(0), a));
    folder.write("c.txt", "9 9\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return StatusPanels::Text(window(2).StatusBar1(), "Space0").startsWith("Changed on disk"); }, 3000));
    EXPECT_EQ(grid(2)->Store().comparison(), nullptr);
    EXPECT_TRUE(shown(2).filter(QRegularExpression("^1\\.")).isEmpty());
    EXPECT_EQ(StatusPanels::Text(window(0).StatusBar1(), "Dimension"), "R2 x C3") << "File 1's own file is shown on";
}

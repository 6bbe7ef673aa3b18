// Cells regarded as the same ("S") in the windows: passed over by the difference navigation,
// without colour and out of the counts at a glance while hidden; the tolerances of the options
// dialog and the comparison made again when they change.

#include "app/ColourMap.h"
#include "dialogs/frmOption.h"
#include "support/FrameFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTableWidget>
#include <QPushButton>

namespace {

class ToleranceTest : public FrameFixture {
protected:
    ToleranceTest()
        : FrameFixture({1200, 700})
    {
        folder.write("Tallir.ini", "[Option]\nPrecisionSame=1\nPrecisionLog=6\n");
        placeSideBySide(400);
        // (1,1) and (2,2) agree in 7 and 8 digits: "S" at 6; (1,3) is 3 against 9.
        load(folder.write("a.txt", "1 2 3\n4 5 6\n"), folder.write("b.txt", "1.0000001 2 9\n4 5.00000001 6\n"));
    }

    QColor header(int slot, qint64 col)
    {
        return grid(slot)->model()->headerData(int(col - 1), Qt::Horizontal, Qt::BackgroundRole).value<QColor>();
    }
    // Where the difference navigation took the Compare window.
    std::pair<qint64, qint64> at() const
    {
        return {GridWindows()[2]->MSFlexGrid_CurRow(), GridWindows()[2]->MSFlexGrid_CurCol()};
    }
    // The text painted in a body cell of the Compare grid.
    QStringList paintedText(qint64 row, qint64 col) { return painted(2)->textsIn(cellRect(2, row, col)); }
};

using Cell = std::pair<qint64, qint64>;

} // namespace

TEST_F(ToleranceTest, HiddenSameCellsArePassedOverUncolouredAndUncounted)
{
    ASSERT_TRUE(frame.mnuToolHideSame()->isChecked()) << "on by default";
    EXPECT_EQ(std::pair(grid(2)->TextMatrix(1, 1), grid(2)->TextMatrix(1, 3)), std::pair(QString("S"), QString("-0.30"))) << "the verdict stays";
    // ... but an "S" cell is painted empty, its tool tip still tells.
    EXPECT_EQ(std::pair(paintedText(1, 1), paintedText(1, 3)), std::pair(QStringList(), QStringList{"-0.30"}));
    EXPECT_TRUE(grid(2)->model()->index(0, 0).data(Qt::ToolTipRole).toString().contains("regarded as the same")) << "the tool tip explains it";
    // Row 2 holds only an "S": no row header tint, and the row filter leaves it out.
    EXPECT_NE(grid(2)->model()->headerData(1, Qt::Vertical, Qt::BackgroundRole).value<QColor>(), ColourMap::HeaderMark());
    EXPECT_EQ(grid(2)->model()->headerData(0, Qt::Vertical, Qt::BackgroundRole).value<QColor>(), ColourMap::HeaderMark());
    frame.mnuToolOnlyDiffering()->trigger();
    EXPECT_EQ(grid(2)->Rows(), 2) << "row 1 only";
    frame.mnuToolOnlyDiffering()->trigger();
    EXPECT_EQ(grid(2)->Rows(), 3);
    // The tables agree beyond the tolerance nowhere but in (1,3): they disagree.
    EXPECT_TRUE(modMain::Disagrees());

    // No colour on "S" cells or their File cells; a header tinted only for what lies beyond.
    const QColor plain = grid(2)->BackColor();
    EXPECT_EQ(std::tuple(cellColour(2, 2, 2), cellColour(0, 2, 2), cellColour(0, 1, 3)),
              std::tuple(plain, grid(0)->BackColor(), ColourMap::FileMark()));
    EXPECT_NE(header(2, 1), ColourMap::HeaderMark());
    EXPECT_EQ(header(2, 3), ColourMap::HeaderMark());
    EXPECT_TRUE(figures().startsWith("1 beyond the tolerance (D 0, digits 1), S 2; largest difference beyond it 6 at R1 C3"))
        << figures().toStdString();

    // Only the cell beyond the tolerance is a stop, whichever way, and only it is counted.
    for (QAction* go : {frame.mnuToolDifference(+1), frame.mnuToolDifference(-1), frame.mnuToolWorst()}) {
        go->trigger();
        EXPECT_EQ(at(), Cell(1, 3)) << go->text().toStdString() << ": round to the only one";
        EXPECT_TRUE(status().startsWith("Difference 1 of 1 at R1 C3")) << status().toStdString();
    }

    // Switched off: saved at once, and everything as before.
    frame.mnuToolHideSame()->trigger();
    EXPECT_EQ(modUtil::ReadInteger("Tool", "HideSame", 1), 0);
    EXPECT_TRUE(figures().startsWith("D 0, S 2, digits 1")) << figures().toStdString();
    EXPECT_EQ(std::tuple(cellColour(2, 2, 2), cellColour(0, 2, 2), header(2, 1), paintedText(1, 1)),
              std::tuple(ColourMap::VerdictColour(grid(2)->Store().comparison()->verdicts[2], 6), ColourMap::FileMark(), ColourMap::HeaderMark(),
                         QStringList{"S"}));
    std::vector<Cell> stops;
    for (int i = 0; i < 3; ++i) {
        frame.mnuToolDifference(+1)->trigger();
        stops.push_back(at());
    }
    EXPECT_EQ(stops, (std::vector<Cell>{{2, 2}, {1, 1}, {1, 3}})) << "every difference, from the one after (1,3)";
    EXPECT_TRUE(status().startsWith("Difference 2 of 3 at R1 C3")) << status().toStdString();
    frame.mnuToolOnlyDiffering()->trigger();
    EXPECT_EQ(grid(2)->Rows(), 3) << "both rows hold a difference";
}

TEST_F(ToleranceTest, ClosingMessageOffSaysItInTheStatusBar)
{
    // Only "S" cells: the tables agree within the tolerance.
    ASSERT_TRUE(modMain::LoadFile(*GridWindows()[1], folder.write("c.txt", "1.0000001 2 3\n4 5.00000001 6\n")));
    const std::size_t shown = fake.messages.size();
    frame.mnuToolClosingMessage()->trigger();
    EXPECT_EQ(modUtil::ReadInteger("Tool", "ClosingMessage", 1), 0);
    modMain::CompareGrids();
    EXPECT_EQ(fake.messages.size(), shown) << "no box";
    EXPECT_TRUE(status().endsWith("c.txt at 2 cells in smaller rows and cols.; 0 beyond the tolerance"))
        << status().toStdString();
    EXPECT_FALSE(modMain::Disagrees());
    modUtil::WriteString("Option", "PrecisionSame", "0");
    modMain::CompareGrids();
    EXPECT_TRUE(status().endsWith("c.txt at 2 cells in smaller rows and cols.")) << "no tolerance, nothing said of one";
    modUtil::WriteString("Option", "PrecisionSame", "1");
    frame.mnuToolClosingMessage()->trigger();
    modMain::CompareGrids();
    ASSERT_EQ(fake.messages.size(), shown + 1);
    EXPECT_TRUE(fake.messages.back().text.endsWith("c.txt\r\nat 2 cells\r\nin smaller rows and cols.\r\nwithin the tolerance: 2 regarded as the same, 0 beyond"))
        << "the specified text, then what lies beyond";
    // Nothing differs: "==" alone.
    ASSERT_TRUE(modMain::LoadFile(*GridWindows()[1], folder.path("a.txt")));
    modMain::CompareGrids();
    EXPECT_TRUE(fake.messages.back().text.endsWith("a.txt\r\nin smaller rows and cols.")) << fake.messages.back().text.toStdString();
    // A table of another shape disagrees whatever its cells.
    ASSERT_TRUE(modMain::LoadFile(*GridWindows()[1], folder.write("d.txt", "1 2 3\n")));
    modMain::CompareGrids();
    EXPECT_TRUE(modMain::Disagrees());
}

TEST_F(ToleranceTest, ALoadTakesTheMarksOfTheLastComparisonAway)
{
    frame.mnuToolDifference(+1)->trigger();
    ASSERT_TRUE(grid(1)->model()->headerData(2, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());
    frame.mnuToolDifference(+1)->trigger(); // off the cell: the selection colour is not the mark
    ASSERT_EQ(cellColour(0, 2, 3), grid(0)->BackColor());
    ASSERT_TRUE(modMain::LoadFile(*GridWindows()[1], folder.write("c.txt", "7 7 7\n7 7 7\n")));
    for (int slot = 0; slot < 2; ++slot) {
        EXPECT_EQ(cellColour(slot, 1, 3), grid(slot)->BackColor()) << slot;
        EXPECT_NE(header(slot, 3), ColourMap::HeaderMark()) << slot;
        EXPECT_FALSE(grid(slot)->model()->headerData(2, Qt::Horizontal, Qt::FontRole).value<QFont>().bold())
            << slot << ": no selection mark on the header";
    }
    modMain::CompareGrids();
    EXPECT_EQ(cellColour(0, 1, 2), ColourMap::FileMark()) << "back with the next comparison";
}

TEST_F(ToleranceTest, OkCompareAgainWhenTheRuleOrTheToleranceChanged)
{
    const std::size_t shown = fake.messages.size();
    auto options = [&](const std::function<void(frmOption&)>& steps) { // and OK
        work<frmOption>(frame.mnuToolOption(), [&](frmOption& dialog) {
            steps(dialog);
            dialog.Command1(0)->click();
        });
    };
    // Nothing changed: nothing compared.
    options([](frmOption&) {});
    EXPECT_EQ(fake.messages.size(), shown);

    // The rule switched off: compared at once, the "S" cells show their digits.
    options([](frmOption& dialog) { dialog.Check1()->setChecked(false); });
    EXPECT_EQ(std::tuple(fake.messages.size(), grid(2)->TextMatrix(1, 1)), std::tuple(shown + 1, "7.00"));

    // An absolute tolerance: 3 against 9 is within 10.
    options([](frmOption& dialog) { dialog.Text2()->setText("10"); });
    EXPECT_EQ(std::tuple(fake.messages.size(), grid(2)->TextMatrix(1, 3)), std::tuple(shown + 2, "S"));
    EXPECT_TRUE(figures().startsWith("0 beyond the tolerance")) << figures().toStdString();

    // Column 3's own relative tolerance, then its reference: |9 - 3| = 6 is beyond 1 x |3|,
    // within 1 x |9|. The figures state the rule; a column that is not there is said.
    auto columnOwn = [](const char* to) {
        return [to](frmOption& dialog) {
            dialog.Text2()->setText("");
            dialog.Grid1()->setItem(0, 0, new QTableWidgetItem("3"));
            dialog.Grid1()->setItem(0, 2, new QTableWidgetItem("1"));
            dialog.Combo1()->setCurrentIndex(dialog.Combo1()->findText(to));
        };
    };
    options(columnOwn("|x1|"));
    EXPECT_EQ(std::tuple(fake.messages.size(), grid(2)->TextMatrix(1, 3)), std::tuple(shown + 3, "-0.30"));
    options(columnOwn("|x2|"));
    EXPECT_EQ(std::tuple(fake.messages.size(), grid(2)->TextMatrix(1, 3)), std::tuple(shown + 4, "S"));
    EXPECT_TRUE(figures().endsWith("; S in C3 when |x2 − x1| ≤ 1 × |x2|")) << figures().toStdString();
    options([](frmOption& dialog) { dialog.Grid1()->setItem(0, 0, new QTableWidgetItem("vx")); });
    EXPECT_EQ(grid(2)->TextMatrix(1, 3), "-0.30");
    EXPECT_TRUE(status().contains("no column vx in File 1 for its tolerance")) << status().toStdString();

    // Cancel changes nothing and compares nothing.
    work<frmOption>(frame.mnuToolOption(), [](frmOption& dialog) {
        dialog.Text2()->setText("");
        dialog.Command1(1)->click();
    });
    EXPECT_EQ(fake.messages.size(), shown + 5);
}

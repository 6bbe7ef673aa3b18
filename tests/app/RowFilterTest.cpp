// Tool > Only Differing Rows: the three grids show the differing rows only, with their own
// numbers, linked; navigation, copying and a new comparison work on them; switching it off
// restores every row and keeps the selection.

#include "support/FrameFixture.h"

#include <QHeaderView>
#include <QScrollBar>

namespace {

class RowFilterTest : public FrameFixture {
protected:
    RowFilterTest()
        : FrameFixture({1200, 700})
    {
        placeSideBySide(400);
        // 300 rows; lines 51, 52 and 201 differ.
        load(folder.write("a.txt", Rows({})), folder.write("b.txt", Rows({51, 52, 201})));
    }
    static QByteArray Rows(const std::vector<int>& changed)
    {
        QByteArray text;
        for (int line = 1; line <= 300; ++line)
            text += QByteArray::number(line) + " "
                + (std::find(changed.begin(), changed.end(), line) != changed.end() ? "2.5" : "2.0") + "\n";
        return text;
    }
    // The row numbers a person sees down the Compare grid's left edge.
    QStringList paintedHeaders() { return PaintRecorder::Of(grid(2)->verticalHeader()->viewport())->allTexts(); }
};

} // namespace

TEST_F(RowFilterTest, OnlyTheDifferingRowsLinkedAndBack)
{
    frmGrid::MSFlexGrid_ShowSelection(window(2), 201, 2, 201, 2);
    // Reached upwards (from line 201, wrapping round to line 51 above the rows in view), a
    // difference is scrolled into view in the three grids.
    grid(2)->verticalScrollBar()->setValue(grid(2)->verticalScrollBar()->maximum());
    frame.mnuToolDifference(+1)->trigger();
    for (int slot = 0; slot < 3; ++slot)
        EXPECT_TRUE(grid(slot)->RowAt(0) <= 51 && 51 <= grid(slot)->RowAt(grid(slot)->viewport()->height() - 1)) << slot;
    frmGrid::MSFlexGrid_ShowSelection(window(2), 201, 2, 201, 2);
    frame.mnuToolOnlyDiffering()->setChecked(true);
    for (int slot = 0; slot < 3; ++slot) {
        EXPECT_EQ(rowHeaders(slot), (QStringList{"51", "52", "201"})) << slot;
        EXPECT_EQ(window(slot).MSFlexGrid_CurRow(), 3) << "the selection stays on line 201";
    }
    EXPECT_EQ(paintedHeaders(), (QStringList{"51", "52", "201"}));
    EXPECT_EQ(QStringList({grid(0)->TextMatrix(3, 1), grid(1)->TextMatrix(3, 2), grid(2)->TextMatrix(3, 2)}), QStringList({"201", "2.5", "0.60"}));
    // Marked as the differences they are, in the three grids.
    frmGrid::MSFlexGrid_ShowSelection(window(2), 1, 1, 1, 1);
    EXPECT_NE(cellColour(2, 3, 2), cellColour(2, 3, 1));
    EXPECT_NE(cellColour(0, 3, 2), cellColour(0, 3, 1));

    // Copying takes the rows shown.
    frmGrid::MSFlexGrid_ShowSelection(window(0), 1, 1, 3, 2);
    EXPECT_EQ(grid(0)->SelectedText(), "51\t2.0\n52\t2.0\n201\t2.0\n");
    // Navigation goes from difference to difference among them, named by their lines.
    frmGrid::MSFlexGrid_ShowSelection(window(2), 2, 2, 2, 2);
    frame.mnuToolDifference(+1)->trigger();
    EXPECT_EQ(window(2).MSFlexGrid_CurRow(), 3);
    EXPECT_TRUE(status().startsWith("Difference 3 of 3 at R201 C2")) << status().toStdString();

    // Another comparison: its differing rows.
    EXPECT_TRUE(modMain::LoadFile(window(1), folder.write("c.txt", Rows({7}))));
    modMain::CompareGrids();
    EXPECT_EQ(std::tuple(rowHeaders(0), rowHeaders(2)), std::tuple(QStringList{"7"}, QStringList{"7"}));
    frmGrid::MSFlexGrid_ShowSelection(window(2), 1, 2, 1, 2);

    // Off: every row again, the selection on the same line.
    frame.mnuToolOnlyDiffering()->setChecked(false);
    for (int slot = 0; slot < 3; ++slot) {
        EXPECT_EQ(grid(slot)->Rows(), 301) << slot;
        EXPECT_EQ(window(slot).MSFlexGrid_CurRow(), 7) << slot;
    }
    EXPECT_EQ(grid(2)->TextMatrix(7, 2), "0.60");
}

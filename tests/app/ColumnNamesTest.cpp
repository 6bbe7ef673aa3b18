// A first line of column names: shown as headers, line numbers kept, columns matched by name
// in the comparison and its colours, and the files read again when the option changes.

#include "app/ColourMap.h"
#include "support/FrameFixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

class ColumnNamesTest : public FrameFixture {
protected:
    QString header(int slot, int col) { return grid(slot)->TextMatrix(0, col); }
    QColor back(int slot, qint64 row, qint64 col)
    {
        return grid(slot)->Model()->data(grid(slot)->Model()->index(int(row - 1), int(col - 1)), Qt::BackgroundRole).value<QColor>();
    }
};

} // namespace

TEST_F(ColumnNamesTest, NamesAreHeadersAndColumnsMatchByName)
{
    const QString a = folder.write("a.txt", "time x vx\n0 1 2\n1 3 4\n");
    const QString b = folder.write("b.txt", "vx time x vz\n2 0 1 7\n5 1 3 7\n");
    // Off: the names line is a row like any other.
    ASSERT_TRUE(modMain::LoadFile(window(0), a));
    EXPECT_EQ(grid(0)->TextMatrix(1, 1), "time");

    frame.mnuToolNamesLine()->trigger();
    EXPECT_NE(modUtil::ReadInteger("Option", "NamesLine", 0), 0);
    // Read again with its names line as headers; the first data row is line 2; data rows only.
    const QString columnTip = grid(0)->Model()->headerData(2, Qt::Horizontal, Qt::ToolTipRole).toString();
    const QString dimension = StatusPanels::Text(window(0).StatusBar1(), "Dimension");
    EXPECT_EQ(QStringList({header(0, 1), header(0, 3), grid(0)->TextMatrix(1, 0), grid(0)->TextMatrix(1, 1), dimension, columnTip}),
              QStringList({"time", "vx", "2", "0", "R2 x C3", "column 3"}));

    ASSERT_TRUE(modMain::LoadFile(window(1), b));
    modMain::CompareGrids();
    // The Compare grid in File 1's order, with its names: 4 against 5 in vx, wherever it stands.
    EXPECT_EQ(QStringList({header(2, 3), grid(2)->TextMatrix(2, 3), grid(2)->TextMatrix(2, 1), grid(2)->TextMatrix(1, 0)}),
              QStringList({"vx", "0.60", "", "2"}));
    ASSERT_FALSE(fake.messages.empty());
    EXPECT_TRUE(fake.messages.back().text.contains("at 1 cells"));
    EXPECT_EQ(status(), "column vz only in File 2");
    // The export pairs the columns as the comparison did.
    fake.chosenFiles = {folder.path("cells.json")};
    frame.mnuFileExport()->trigger();
    const QJsonObject exported = QJsonDocument::fromJson(folder.read("cells.json")).object();
    EXPECT_EQ(std::pair(exported["columnsOnlyIn2"], exported["cells"][0]["col2"]), std::pair(QJsonValue(QJsonArray{"vz"}), QJsonValue(1)))
        << "vx is File 2's first column";
    // File 2's mark stands on its own vx column, the first.
    const QColor mark = ColourMap::FileMark();
    EXPECT_EQ(std::tuple(back(1, 2, 1) == mark, back(1, 2, 3) == mark, back(0, 2, 3) == mark), std::tuple(true, false, true));

    frame.mnuToolDifference(+1)->trigger();
    EXPECT_TRUE(status().startsWith("Difference 1 of 1 at R3 C3 vx")) << status().toStdString();
    // The cell inspector reads File 2's own column.
    const QString tip = grid(2)->model()->data(grid(2)->model()->index(1, 2), Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.startsWith("R3 C3 vx\nFile 1: 4\nFile 2: 5\n")) << tip.toStdString();
    // File 2 selects its own vx column, the first, and its text box shows the partner value.
    EXPECT_EQ(std::pair(block(1).col, window(1).Text1()->text()), std::pair(qint64(1), QString("5")));
    // A click in File 2's x column (its third) selects x, the second, in the other two.
    grid(1)->SetRow(1);
    grid(1)->SetCol(3);
    grid(1)->SetRowSel(1);
    grid(1)->SetColSel(3);
    emit grid(1)->MouseDown(1, 0, 0, 0);
    EXPECT_EQ(std::tuple(QList<qint64>({block(0).col, block(1).col, block(2).col}), window(1).Text1()->text()),
              std::tuple(QList<qint64>({2, 3, 2}), "1"));

    // Off again: read as rows, compared by position.
    frame.mnuToolNamesLine()->trigger();
    EXPECT_EQ(grid(0)->TextMatrix(1, 1), "time");
}

// Rows paired by key or around identical rows in the windows: gap rows in the File windows, the
// Compare window's row marks and figures, navigation that stops at one-sided rows, copying across
// a gap, and the Align Rows dialog.

#include "dialogs/frmAlign.h"
#include "support/FrameFixture.h"

#include <QDialogButtonBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

class AlignedRowsTest : public FrameFixture {
protected:
    AlignedRowsTest()
        : FrameFixture({1200, 700})
    {
        folder.write("Tallir.ini", "[Option]\nAlignRows=1\nKeyColumns=1\n");
        placeSideBySide(400);
        // File 2: a time step more after line 2, and line 3's second value changed.
        load(folder.write("a.txt", "0 1.0\n1 2.0\n2 3.0\n3 4.0\n"), folder.write("b.txt", "0 1.0\n1 2.0\n1.5 9 7\n2 3.1\n3 4.0\n"));
    }

    void alignDialog(int way, const QString& keys = {})
    {
        work<frmAlign>(frame.mnuToolAlignRows(), [way, keys](frmAlign& align) {
            align.Way(way)->setChecked(true);
            if (!keys.isEmpty())
                align.KeyColumns()->setText(keys);
            align.Buttons()->button(QDialogButtonBox::Ok)->click();
        });
    }
};

} // namespace

TEST_F(AlignedRowsTest, GapRowsMarksAndFigures)
{
    // Each file's own line numbers; a gap where the other file has a row this one lacks.
    EXPECT_EQ(rowHeaders(0) + rowHeaders(1) + rowHeaders(2),
              (QStringList{"1", "2", "", "3", "4", "1", "2", "3", "4", "5", "1", "2", "+ 3", "3/4", "4/5"}));
    EXPECT_EQ(QStringList({grid(0)->TextMatrix(3, 1), grid(0)->TextMatrix(4, 2), grid(1)->TextMatrix(3, 1)}), QStringList({"", "3.0", "1.5"}));
    // Only the changed digit differs; the inserted step is no wall of differences.
    EXPECT_EQ(grid(2)->TextMatrix(4, 2), "1.48");
    for (qint64 r = 1; r < grid(2)->Rows(); ++r) {
        for (qint64 c = 1; c < grid(2)->Cols(); ++c) {
            if (!(r == 4 && c == 2)) {
                EXPECT_EQ(grid(2)->TextMatrix(r, c), "") << r << "," << c;
            }
        }
    }
    EXPECT_TRUE(figures().contains("rows only in File 1: 0, only in File 2: 1")) << figures().toStdString();
    EXPECT_EQ(fake.messages.back().text, window(0).Caption() + " != " + window(1).Caption() + "\r\nat 1 cells\r\nin smaller rows and cols.");

    // The gap is hatched as painted; a row of the file is not.
    const QColor hatch = grid(0)->palette().color(QPalette::Mid);
    EXPECT_EQ(std::tuple(cellColour(0, 3, 1) == hatch, cellColour(0, 4, 1) == hatch, cellColour(1, 3, 1) == hatch), std::tuple(true, false, false));
    // The differing cell is marked on the aligned row of each file.
    EXPECT_EQ(cellColour(0, 4, 2), cellColour(1, 4, 2));
    EXPECT_NE(cellColour(0, 4, 2), cellColour(0, 2, 2));
}

TEST_F(AlignedRowsTest, NavigationStopsAtOneSidedRowsAndSelectionSpansTheGap)
{
    struct Step { int direction; qint64 row, col; QString status; };
    const Step steps[] = {
        {+1, 3, 1, "Row only in File 2: line 3"}, {+1, 4, 2, "Difference 1 of 1 at R3/4 C2"},
        {+1, 3, 1, "Row only in File 2: line 3 - wrapped to the first difference."},
        {-1, 4, 2, "Difference 1 of 1 at R3/4 C2 - wrapped to the last difference."},
        {-1, 3, 1, "Row only in File 2: line 3"},
    };
    for (const Step& step : steps) {
        frame.mnuToolDifference(step.direction)->trigger();
        EXPECT_EQ(status(), step.status);
        for (int slot = 0; slot < 3; ++slot) { // a row in one file only: the whole row selected
            const qint64 last = step.status.startsWith("Row only") ? grid(slot)->Cols() - 1 : step.col;
            EXPECT_EQ(block(slot), (GridBlock{step.row, step.col, step.row, last})) << slot << " " << step.status.toStdString();
        }
    }
    // A block across the gap copies an empty line for it.
    frmGrid::MSFlexGrid_ShowSelection(window(0), 2, 1, 4, 2);
    EXPECT_EQ(grid(0)->SelectedText(), "1\t2.0\n\t\n2\t3.0\n");

    // A one-sided row far below the rows in view is scrolled into view in the three grids.
    QByteArray one, two;
    for (int r = 0; r < 300; ++r) {
        one += QByteArray::number(r) + " 1\n";
        two += QByteArray::number(r) + " 1\n" + (r == 249 ? "249.5 1\n" : "");
    }
    load(folder.write("c.txt", one), folder.write("d.txt", two));
    frame.mnuToolDifference(+1)->trigger();
    ASSERT_EQ(status(), "Row only in File 2: line 251");
    for (int slot = 0; slot < 3; ++slot)
        EXPECT_TRUE(grid(slot)->RowAt(0) <= 251 && 251 <= grid(slot)->RowAt(grid(slot)->viewport()->height() - 1)) << slot;
}

TEST_F(AlignedRowsTest, TheDialogSwitchesTheWayAndComparesAgain)
{
    const std::size_t shown = fake.messages.size();
    alignDialog(0);
    EXPECT_EQ(modUtil::ReadInteger("Option", "AlignRows", -1), 0);
    EXPECT_EQ(fake.messages.size(), shown + 1) << "compared again";
    EXPECT_EQ(rowHeaders(0), (QStringList{"1", "2", "3", "4"})) << "the file's rows in their order again";
    EXPECT_EQ(grid(2)->TextMatrix(3, 1), "0.60");
    EXPECT_FALSE(figures().contains("rows only"));

    alignDialog(2);
    EXPECT_EQ(rowHeaders(0), (QStringList{"1", "2", "3", "", "4"})) << "between identical rows, by position";
    EXPECT_EQ(fake.messages.size(), shown + 2);

    // A key list that is none: the dialog stays open and says why; nothing is written.
    work<frmAlign>(frame.mnuToolAlignRows(), [](frmAlign& align) {
        align.Way(1)->setChecked(true);
        align.KeyColumns()->setText("1,");
        align.Buttons()->button(QDialogButtonBox::Ok)->click();
        EXPECT_TRUE(align.isVisible() || align.result() != QDialog::Accepted);
        EXPECT_FALSE(align.Problem()->text().isEmpty());
        align.Buttons()->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_EQ(std::tuple(modUtil::ReadInteger("Option", "AlignRows", -1), fake.messages.size()), std::tuple(2, shown + 2));

    // A name File 1 has not: by position, and the frame says why.
    alignDialog(1, "time");
    EXPECT_EQ(rowHeaders(2), (QStringList{"1", "2", "3", "4"}));
    EXPECT_TRUE(status().contains("no key column time in File 1")) << status().toStdString();

    alignDialog(1, "1");
    EXPECT_EQ(std::tuple(rowHeaders(2), modUtil::ReadString("Option", "KeyColumns", "")),
              std::tuple(QStringList{"1", "2", "+ 3", "3/4", "4/5"}, "1"));

    // The keys' tolerance: refused when it is no number, else written and compared again.
    EXPECT_EQ(modMain::KeyTolerance(), 0) << "exact keys unless asked";
    const std::size_t before = fake.messages.size();
    for (const char* tolerance : {"x", "0.5"})
        work<frmAlign>(frame.mnuToolAlignRows(), [tolerance](frmAlign& align) {
            EXPECT_TRUE(align.KeyColumns()->isEnabled() && align.KeyTolerance()->isEnabled()) << "pairing by key";
            align.KeyTolerance()->setText(tolerance);
            align.Buttons()->button(QDialogButtonBox::Ok)->click();
            const bool refused = QString(tolerance) == "x";
            EXPECT_EQ(align.result() == QDialog::Accepted, !refused) << tolerance;
            if (refused) {
                EXPECT_EQ(align.Problem()->text(), "The keys' tolerance must be a number of 0 or more, or empty for exact keys.");
                EXPECT_EQ(align.focusWidget(), align.KeyTolerance());
                align.Buttons()->button(QDialogButtonBox::Cancel)->click();
            }
        });
    EXPECT_EQ(modUtil::ReadString("Option", "KeyTolerance", ""), "0.5");
    EXPECT_EQ(fake.messages.size(), before + 1) << "compared again once, for the tolerance written";

    // Another file in File 2: File 1's rows in their order again until the next comparison.
    EXPECT_TRUE(modMain::LoadFile(window(1), folder.write("c.txt", "0 1.0\n")));
    EXPECT_EQ(rowHeaders(0), (QStringList{"1", "2", "3", "4"}));
    // Keys found twice are said beside the comparison.
    EXPECT_TRUE(modMain::LoadFile(window(1), folder.write("d.txt", "1 2.0\n0 1.0\n0 1.5\n")));
    modMain::CompareGrids();
    EXPECT_TRUE(status().contains("repeated keys in File 2: 1 row, line 3")) << status().toStdString();
}

TEST_F(AlignedRowsTest, ExportReportWritesThePageOrCsv)
{
    const QString page = folder.path("report.html"), table = folder.path("cells.csv");
    fake.chosenFiles = {page, table};
    frame.mnuFileExport()->trigger();
    frame.mnuFileExport()->trigger();
    ASSERT_EQ(fake.fileDialogs.size(), 2u);
    EXPECT_EQ(fake.fileDialogs.front().title, "Export Report");

    const QString html = QString::fromUtf8(folder.read("report.html"));
    EXPECT_EQ(html.count("<tr class=\"cell\">"), 1);
    // The cell by both lines; the row of File 2 only, by its line and key.
    for (const QString& part : {QString("<td>R3/4 C2</td>"), QString("<tr><th>Rows only in File 2</th><td class=\"number\">1</td></tr>"),
                                QString("paired by key 1"), window(0).Caption().toHtmlEscaped(),
                                QString("<tr class=\"oneSided\"><td>File 2</td><td class=\"number\">3</td><td class=\"text\">1.5</td></tr>")})
        EXPECT_TRUE(html.contains(part)) << part.toStdString();

    // CSV: each file's line, the key, and the one-sided row in its place.
    const QStringList lines = QString::fromUtf8(folder.read("cells.csv")).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("row1,row2,column,name,key C1,text1,")) << lines[0].toStdString();
    EXPECT_EQ(lines[1], ",3,,,1.5,,,only in File 2,,,");
    EXPECT_TRUE(lines[2].startsWith("3,4,2,,2,3.0,3.1,1.48,")) << lines[2].toStdString();

    // JSON: the document tallir-diff prints for the same pair and key.
    fake.chosenFiles = {folder.path("cells.json")};
    frame.mnuFileExport()->trigger();
    const QJsonObject exported = QJsonDocument::fromJson(folder.read("cells.json")).object();
    QProcess diff;
    diff.start(TALLIR_DIFF, {"--key", "1", "--json", folder.path("a.txt"), folder.path("b.txt")});
    ASSERT_TRUE(diff.waitForFinished(30000));
    const QJsonObject printed = QJsonDocument::fromJson(diff.readAllStandardOutput()).object();
    ASSERT_FALSE(printed.isEmpty());
    for (const char* member : {"cells", "rowsOnlyIn1", "rowsOnlyIn2"})
        EXPECT_EQ(exported[member], printed[member]) << member;
    EXPECT_EQ(exported["compare"].toObject()["figures"], printed["compare"].toObject()["figures"]);
    EXPECT_EQ(exported["compare"].toObject()["differing"].toInt(), 1);

    // Written where it cannot be: said, not passed over.
    const std::size_t shown = fake.messages.size();
    fake.chosenFiles = {folder.path("no/such/folder/r.html")};
    frame.mnuFileExport()->trigger();
    ASSERT_EQ(fake.messages.size(), shown + 1);
    EXPECT_TRUE(fake.messages.back().text.startsWith("Can't write ")) << fake.messages.back().text.toStdString();
    // Nor over a file compared, under any name for it.
    const QByteArray before = folder.read("b.txt");
    fake.chosenFiles = {folder.path("no/../b.txt")};
    QDir().mkpath(folder.path("no"));
    frame.mnuFileExport()->trigger();
    ASSERT_EQ(fake.messages.size(), shown + 2);
    EXPECT_EQ(std::tuple(fake.messages.back().text, folder.read("b.txt")),
              std::tuple("Can't write " + folder.path("no/../b.txt") + "\nIt is one of the files compared.", before));
}

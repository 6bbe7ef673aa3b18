#include "core/TableReader.h"
#include "grid/GridModel.h"
#include "grid/GridSelection.h"
#include "grid/GridStore.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

TEST(GridStore, ShowsATableWithLineAndColumnNumbers)
{
    GridStore store;
    EXPECT_EQ(store.rows(), 2);
    EXPECT_EQ(store.cols(), 2);
    EXPECT_EQ(store.text(1, 1), "");

    store.showTable(tallir::ParseTable("1 2 3\n\n4\n"));
    EXPECT_EQ(store.rows(), 4);
    EXPECT_EQ(store.cols(), 4);
    struct Cell { qint64 row, col; std::string text; };
    const std::vector<Cell> cells = {
        {0, 0, ""}, {0, 1, "1"}, {0, 3, "3"}, {1, 0, "1"}, {2, 0, "2"}, {3, 0, "3"},
        {1, 3, "3"}, {2, 1, ""}, {3, 1, "4"}, {3, 2, ""}, {4, 1, ""}, {1, 4, ""},
    };
    for (const auto& c : cells)
        EXPECT_EQ(store.text(c.row, c.col), c.text) << c.row << "," << c.col;

    // One value a line: the header of the one column stays empty.
    store.showTable(tallir::ParseTable("a\nb\n"));
    EXPECT_EQ(store.cols(), 2);
    EXPECT_EQ(store.text(0, 1), "");
    EXPECT_EQ(store.text(2, 0), "2");

    // Nothing at all: no data row.
    store.showTable(tallir::ParseTable(""));
    EXPECT_EQ(store.rows(), 1);
    EXPECT_EQ(store.cols(), 2);
}

TEST(GridStore, EditsReachTheTableAndRowsCanBeAddedAndRemoved)
{
    GridStore store;
    store.showTable(tallir::ParseTable("1 2\n3 4\n5 6\n"));
    store.setText(2, 2, "x");
    EXPECT_EQ(store.text(2, 2), "x");
    EXPECT_EQ(store.table().cell(1, 1), "x");
    store.setText(0, 1, "head");
    EXPECT_EQ(store.text(0, 1), "head");

    store.removeItem(1);
    EXPECT_EQ(store.rows(), 3);
    EXPECT_EQ(store.text(1, 0), "2") << "rows keep their numbers";
    EXPECT_EQ(store.text(1, 2), "x");
    EXPECT_EQ(store.text(2, 1), "5");
    EXPECT_EQ(store.text(0, 1), "head");

    store.addItem("9\ta\tb\tdropped");
    EXPECT_EQ(store.rows(), 4);
    EXPECT_EQ(store.text(3, 0), "9");
    EXPECT_EQ(store.text(3, 2), "b");

    store.setRows(2);
    store.setRows(4);
    EXPECT_EQ(store.text(2, 1), "") << "rows dropped by shrinking do not come back";
}

TEST(GridModel, PassesTheModelTesterAndShowsHeadersAsFixedCells)
{
    GridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.beginChange();
    model.store().showTable(tallir::ParseTable("1 2\n3 4 5\n"));
    model.endChange();
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.data(model.index(1, 2), Qt::DisplayRole).toString(), "5");
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "1");
    EXPECT_EQ(model.headerData(1, Qt::Vertical, Qt::DisplayRole).toString(), "2");

    model.colors().back = Qt::white;
    model.colors().backSel = Qt::blue;
    model.setSelection({5, 5, 5, 5});
    model.formats().setBackColor({1, 1, 2, 3}, Qt::red, Qt::white);
    model.formats().setBackColor({2, 2, 2, 2}, Qt::green, Qt::white);
    EXPECT_EQ(model.data(model.index(0, 0), Qt::BackgroundRole).value<QColor>(), QColor(Qt::red));
    EXPECT_EQ(model.data(model.index(1, 1), Qt::BackgroundRole).value<QColor>(), QColor(Qt::green));
    model.setSelection({2, 2, 2, 3});
    EXPECT_EQ(model.data(model.index(1, 1), Qt::BackgroundRole).value<QColor>(), QColor(Qt::blue)) << "the selection shows on top";

    // Painting and undoing a block again and again keeps the formats short.
    for (int i = 0; i < 1000; ++i) {
        model.formats().setBackColor({1, 1, 1000000, 8}, Qt::blue, Qt::white);
        model.formats().setBackColor({1, 1, 1000000, 8}, Qt::white, Qt::white);
    }
    EXPECT_LE(model.formats().entries(), 2u);
}

TEST(GridSelection, PageKeysMoveAtLeastOneRow)
{
    // A window too low for a whole row still pages by one.
    for (const qint64 inView : {0, 1})
        EXPECT_EQ(KeyNavigation(Qt::Key_PageDown, {}, {2, 1, 2, 1}, {10, 3, 1, 1, inView})->block, (GridBlock{3, 1, 3, 1})) << inView;
}

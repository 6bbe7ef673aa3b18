#include "core/TableReader.h"
#include "grid/GridModel.h"
#include "grid/GridSelection.h"
#include "grid/GridStore.h"
#include "support/GridTexts.h"
#include "support/QtPrinters.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

TEST(GridStore, ShowsATableWithLineAndColumnNumbers)
{
    GridStore store;
    EXPECT_EQ(GridTexts(store), (QStringList{"|", "|"})) << "two rows and two columns before anything is shown";
    store.showTable(tallir::ParseTable("1 2 3\n\n4\n"));
    EXPECT_EQ(GridTexts(store), (QStringList{"|1|2|3", "1|1|2|3", "2|||", "3|4||"}));
    EXPECT_EQ(store.text(4, 1) + store.text(1, 4), "") << "past the last row and column";
    // One value a line: the header of the one column stays empty.
    store.showTable(tallir::ParseTable("a\nb\n"));
    EXPECT_EQ(GridTexts(store), (QStringList{"|", "1|a", "2|b"}));
    // Nothing at all: no data row.
    store.showTable(tallir::ParseTable(""));
    EXPECT_EQ(GridTexts(store), QStringList{"|"});
}

TEST(GridStore, EditsReachTheTableAndRowsCanBeAddedAndRemoved)
{
    GridStore store;
    store.showTable(tallir::ParseTable("1 2\n3 4\n5 6\n"));
    store.setText(2, 2, "x");
    store.setText(0, 1, "head");
    EXPECT_EQ(std::tuple(GridTexts(store), store.table().cell(1, 1)), std::tuple(QStringList{"|head|2", "1|1|2", "2|3|x", "3|5|6"}, "x"));
    store.removeItem(1);
    EXPECT_EQ(GridTexts(store), (QStringList{"|head|2", "2|3|x", "3|5|6"})) << "rows keep their numbers";
    store.addItem("9\ta\tb\tdropped");
    EXPECT_EQ(GridTexts(store), (QStringList{"|head|2", "2|3|x", "3|5|6", "9|a|b"}));
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
    EXPECT_EQ(std::pair(model.rowCount(), model.columnCount()), std::pair(2, 3));
    EXPECT_EQ(QStringList({model.data(model.index(1, 2), Qt::DisplayRole).toString(), model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                           model.headerData(1, Qt::Vertical, Qt::DisplayRole).toString()}),
              QStringList({"5", "1", "2"}));

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

// The frame's menus and toolbars item by item, the bar and window commands, and files dropped
// as the desktop drops them: real drag and drop events with a list of file URLs.

#include "grid/modFlexGrid.h"
#include "support/FrameFixture.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QToolBar>
#include <QUrl>
#include <QSet>

namespace {

class MenusAndDropsTest : public FrameFixture {
protected:
    // Drags the files over a widget and drops them there, as the desktop does: the drag goes to
    // the nearest widget from there up that takes drops. That widget, when it took the drag.
    QWidget* drop(QWidget* target, const QStringList& paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        QWidget* taker = target;
        while (taker && !taker->acceptDrops())
            taker = taker->parentWidget();
        if (!taker)
            return nullptr;
        const QPoint at = target->mapTo(taker, target->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        QApplication::sendEvent(taker, &enter);
        if (!enter.isAccepted())
            return nullptr;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(taker, &dropped);
        return taker;
    }

};

} // namespace

TEST_F(MenusAndDropsTest, EachMenuReachesEveryItemByItsOwnKey)
{
    // Alt and a letter opens a menu, the next letter runs one item: no two items may share it.
    QStringList menuKeys;
    for (QAction* top : frame.menuBar()->actions()) {
        menuKeys << top->text().section('&', 1).left(1).toLower();
        QStringList keys;
        for (QAction* item : top->menu()->actions())
            if (item->isVisible() && item->text().contains('&'))
                keys << item->text().section('&', 1).left(1).toLower();
        EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), keys.size()) << top->text().toStdString() << ": " << keys.join(' ').toStdString();
    }
    EXPECT_EQ(std::tuple(menuKeys, frame.mnuToolBar(1)->text()), std::tuple(QStringList({"f", "t", "w", "h"}), "&Status Bar"));
}

TEST_F(MenusAndDropsTest, BarsComeAndGoAndTheWindowMenuListsTheWindows)
{
    // The Window menu lists the three windows below its items, the active one checked.
    frame.mdiArea()->setActiveSubWindow(window(1).SubWindow());
    emit frame.mnuWindow()->aboutToShow();
    QStringList listed;
    for (QAction* item : frame.mnuWindow()->actions())
        if (item->isCheckable())
            listed << item->text() + (item->isChecked() ? " *" : "");
    EXPECT_EQ(listed, QStringList({"&1 File 1", "&2 File 2 *", "&3 Compare"}));

    // Arrange Icons lines the minimised windows up along the bottom and leaves the others.
    window(0).SubWindow()->showMinimized();
    window(2).SubWindow()->showMinimized();
    const QRect normal = window(1).SubWindow()->geometry();
    frame.mnuWindowArrange(4)->trigger();
    const int bottom = frame.mdiArea()->viewport()->height();
    for (int slot : {0, 2})
        EXPECT_EQ(window(slot).SubWindow()->geometry().bottom() + 1, bottom) << slot;
    EXPECT_LT(window(0).SubWindow()->x(), window(2).SubWindow()->x());
    EXPECT_EQ(window(1).SubWindow()->geometry(), normal) << "a normal window is not moved";
}

TEST_F(MenusAndDropsTest, LoadsLeaveTheGridPaintingAndBelowItsToolbar)
{
    const QString a = folder.write("a.txt", "1 2\n3 4\n");
    const QString b = folder.write("b.txt", "1 2\n3 5\n");
    load(a, b);
    for (int slot = 0; slot < 3; ++slot) {
        MSFlexGrid* grid = window(slot).MSFlexGrid1();
        EXPECT_TRUE(grid->Redraw()) << slot;
        EXPECT_GE(grid->geometry().top(), window(slot).Toolbar1()->geometry().bottom() + 1) << "not over the toolbar";
        EXPECT_LE(grid->geometry().bottom(), window(slot).StatusBar1()->geometry().top()) << "not over the status bar";
    }
}

TEST_F(MenusAndDropsTest, AHeaderDoubleClickFitsFromTheClickedColumnToTheSelectionsLast)
{
    QByteArray text;
    for (int r = 0; r < 3; ++r)
        text += "a-fairly-long-text b-fairly-long-text c-fairly-long-text d-fairly-long-text\n";
    ASSERT_TRUE(modMain::LoadFile(window(0), folder.write("wide.txt", text)));
    MSFlexGrid* grid = window(0).MSFlexGrid1();
    auto narrow = [&] {
        for (int c = 1; c <= 4; ++c)
            grid->SetColWidth(c, 300);
    };
    auto fitted = [&] {
        QList<bool> wide;
        for (int c = 1; c <= 4; ++c)
            wide << (grid->ColWidth(c) > 600);
        return wide;
    };
    // Columns 1 to 4 selected, the header of column 3 double-clicked: 3 and 4 are fitted.
    narrow();
    grid->SetCol(1);
    grid->SetColSel(4);
    grid->SetMouseCell(0, 3);
    modFlexGrid::MSFlexGrid_FitColWidth(grid, 0);
    EXPECT_EQ(fitted(), QList<bool>({false, false, true, true}));
    // On the selection's last column: the whole selection.
    narrow();
    grid->SetCol(1);
    grid->SetColSel(4);
    grid->SetMouseCell(0, 4);
    modFlexGrid::MSFlexGrid_FitColWidth(grid, 0);
    EXPECT_EQ(fitted(), QList<bool>({true, true, true, true}));
}

TEST_F(MenusAndDropsTest, RealDropsOnTheFrameAWindowAndItsGrid)
{
    const QString a = folder.write("a.txt", "1 2\n3 4\n");
    const QString b = folder.write("b.txt", "1 2\n3 5\n6\n");
    const QString c = folder.write("c.txt", "9\n");
    QDir(folder.path()).mkdir("dir");
    const QString dir = folder.path("dir");
    auto rows = [&](int slot) { return window(slot).MSFlexGrid1()->Rows() - 1; };

    // On the frame: by the active window, the second file into the other one.
    frame.mdiArea()->setActiveSubWindow(window(1).SubWindow());
    ASSERT_EQ(drop(frame.mdiArea()->viewport(), {a, b}), &frame);
    EXPECT_EQ(QStringList({window(0).Caption(), window(1).Caption()}), QStringList({CaptionFor(b), CaptionFor(a)}));

    // On a file window itself: a folder as the second name loads nothing into the other one.
    ASSERT_EQ(drop(&window(0), {c, dir}), &window(0));
    EXPECT_EQ(window(0).Caption(), CaptionFor(c));
    EXPECT_EQ(window(1).Caption(), CaptionFor(a)) << "the folder is skipped";
    EXPECT_TRUE(fake.messages.empty());

    // On a file window's grid, with immediate comparison.
    modUtil::WriteString("Option", "ImmediateCompare", "1");
    ASSERT_EQ(drop(window(1).MSFlexGrid1()->viewport(), {b}), window(1).MSFlexGrid1()->viewport());
    EXPECT_EQ(rows(1), 3);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_TRUE(fake.messages[0].text.contains(" != ")) << "compared";

    // The Compare window and its grid take no drops: the frame gets them, and with "Compare"
    // active it says which windows take files.
    frame.mdiArea()->setActiveSubWindow(window(2).SubWindow());
    EXPECT_EQ(drop(window(2).MSFlexGrid1()->viewport(), {a}), &frame);
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(std::tuple(fake.messages[1].text, window(1).Caption()),
              std::tuple("Activate \"File 1\" or \"File 2\" of child windows.", CaptionFor(b)));

    // A folder alone loads nothing and still compares.
    frame.mdiArea()->setActiveSubWindow(window(0).SubWindow());
    ASSERT_EQ(drop(&window(0), {dir}), &window(0));
    EXPECT_EQ(std::tuple(fake.messages.size(), window(0).Caption()), std::tuple(3u, CaptionFor(c)));
}

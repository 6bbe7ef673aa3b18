#include "settings/modControl.h"
#include "settings/modUtil.h"
#include "support/QtPrinters.h"
#include "support/TempFolder.h"

#include <QAction>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <gtest/gtest.h>

using modControl::RecentPathList;

namespace {

class Menu : public modControl::RecentPathMenu {
public:
    Menu()
    {
        for (auto& item : items)
            item = new QAction(&owner);
    }
    QAction* mnuFileRecentPathSepa() override { return &separator; }
    QAction* mnuFileRecentPath(int index) override { return items[std::size_t(index)]; }

    // The visible items from the top.
    QStringList shown() const
    {
        QStringList texts;
        for (QAction* item : items)
            if (item->isVisible())
                texts << item->text();
        return texts;
    }

    QObject owner;
    QAction separator;
    std::array<QAction*, 5> items{};
};

RecentPathList List(std::initializer_list<const char*> paths)
{
    RecentPathList list;
    int place = 0;
    for (const char* path : paths)
        list[std::size_t(place++)] = path;
    return list;
}

} // namespace

TEST(RecentPaths, AddAndRemoveKeepTheNewestLast)
{
    struct Case { RecentPathList before; bool add; const char* path; RecentPathList after; };
    const std::vector<Case> cases = {
        {List({"A", "B", "C"}), true, "B", List({"A", "C", "B"})},
        {List({"A", "B", "C", "D", "E"}), true, "F", List({"B", "C", "D", "E", "F"})},
        {List({"A", "B", "C", "D", "E"}), true, "C", List({"A", "B", "D", "E", "C"})},
        {List({"A", "B", "C"}), true, "a", List({"A", "B", "C", "a"})},
        {List({"A", "B", "C"}), false, "A", List({"B", "C"})},
        {List({"A", "B", "C"}), false, "Z", List({"A", "B", "C"})}, {List({}), true, "A", List({"A"})},
    };
    for (const auto& c : cases) {
        Menu menu;
        modControl::RecentPaths() = c.before;
        if (c.add)
            modControl::AddRecentPath(menu, c.path);
        else
            modControl::RemoveRecentPath(menu, c.path);
        EXPECT_EQ(modControl::RecentPaths(), c.after) << c.path;
    }

    Menu menu;
    modControl::RecentPaths() = List({"A", "B", "C"});
    modControl::AddRecentPath(menu, "B");
    EXPECT_EQ(menu.shown(), QStringList({"B", "C", "A"}));
    EXPECT_TRUE(menu.separator.isVisible());
}

TEST(RecentPaths, AGapLeftByHandIsFilledFirstAndRoundTrips)
{
    const TempFolder folder;
    folder.write("Tallir.ini", "[RecentPath]\n0=\n1=/data/b.txt\n");
    Menu menu;
    modControl::LoadRecentPaths(menu);
    EXPECT_EQ(menu.shown(), QStringList({"/data/b.txt"}));
    EXPECT_FALSE(menu.separator.isVisible());
    modControl::AddRecentPath(menu, "/data/c.txt");
    EXPECT_EQ(modControl::RecentPaths()[0], "/data/c.txt");
    modControl::SaveRecentPaths();
    EXPECT_EQ(folder.read("Tallir.ini"), "[RecentPath]\n0=/data/c.txt\n1=/data/b.txt\n2=\n3=\n4=\n");
    modControl::RecentPaths() = {};
}

TEST(Placement, FrameRoundTripsAndFallsBackToTheCentredRectangle)
{
    const TempFolder folder;
    QMainWindow frame;
    frame.setObjectName("mdiMain");
    modControl::RestorePlacement(&frame);
    frame.show();
    const QRect screen = frame.screen()->geometry();
    EXPECT_NEAR(frame.frameGeometry().width(), screen.width() * 0.7, 2);
    EXPECT_NEAR(frame.frameGeometry().x(), screen.width() * 0.15, 2);

    frame.setGeometry(100, 120, 500, 300);
    modControl::SavePlacement(&frame);
    const double twips = modControl::TwipsPerPixelX(&frame);
    EXPECT_EQ(modUtil::ReadInteger("mdiMain", "WindowState", 9), 0);
    EXPECT_NEAR(modUtil::ReadSingle("mdiMain", "Width", 0), frame.frameGeometry().width() * twips, 0.5);

    QMainWindow again;
    again.setObjectName("mdiMain");
    modControl::RestorePlacement(&again);
    again.show();
    EXPECT_EQ(std::tuple(again.geometry().size(), again.pos()), std::tuple(QSize(500, 300), frame.frameGeometry().topLeft()));

    // A stored size larger than the screen gives the default; a window off the screen comes back on it.
    // The expected rectangle in pixels; empty: the centred default.
    struct Stored { const char* left; const char* top; const char* width; const char* height; QRect expected; };
    const double tpp = modControl::TwipsPerPixelX(&frame);
    const Stored cases[] = {
        {"0", "0", "2000000000", "2000000000", {}}, {"0", "0", "300000", "9000", {}}, {"0", "0", "-5000", "4500", {}},
        {"-99999999", "-99999999", "6000", "4500", QRect(screen.x(), screen.y(), int(6000 / tpp), int(4500 / tpp))},
    };
    for (const Stored& c : cases) {
        for (auto [key, value] : {std::pair{"Left", c.left}, {"Top", c.top}, {"Width", c.width}, {"Height", c.height}})
            modUtil::WriteString("mdiMain", key, value);
        modUtil::WriteString("mdiMain", "WindowState", "0");
        QMainWindow restored;
        restored.setObjectName("mdiMain");
        modControl::RestorePlacement(&restored);
        const QRect expected = c.expected.isEmpty()
            ? QRect(int(screen.width() * 0.15), int(screen.height() * 0.15), int(screen.width() * 0.7), int(screen.height() * 0.7))
            : c.expected;
        EXPECT_NEAR(restored.geometry().width(), expected.width(), 2) << c.width;
        EXPECT_NEAR(restored.geometry().x(), expected.x(), 2) << c.left;
        EXPECT_NEAR(restored.geometry().y(), expected.y(), 2) << c.top;
    }
    // Minimised or maximised: the stored rectangle is not used.
    for (const char* state : {"1", "2"}) {
        modUtil::WriteString("mdiMain", "WindowState", state);
        QMainWindow restored;
        restored.setObjectName("mdiMain");
        modControl::RestorePlacement(&restored);
        EXPECT_EQ(restored.isMaximized(), QString(state) == "2") << state;
        EXPECT_FALSE(restored.isMinimized());
        EXPECT_NEAR(restored.normalGeometry().width(), screen.width() * 0.7, 2) << state;
    }
}

TEST(Placement, GridWindowsShareOneStateAndCannotBeClosed)
{
    const TempFolder folder;
    QMdiArea area;
    area.show();
    auto* first = area.addSubWindow(new QWidget);
    auto* second = area.addSubWindow(new QWidget);
    for (auto* sub : {first, second}) {
        sub->setObjectName("frmGrid");
        sub->show();
    }
    bool closing = false;
    modControl::DisableCloseCommand(first, [&] { return closing; });
    first->showMaximized();
    modControl::SavePlacement(first);
    EXPECT_EQ(folder.read("Tallir.ini"), "[frmGrid]\nWindowState=2\n") << "a child keeps its state only";
    modControl::RestorePlacement(second);
    EXPECT_TRUE(second->isMaximized());

    EXPECT_EQ(std::tuple(bool(first->windowFlags() & Qt::WindowCloseButtonHint), first->close(), first->isVisible()), std::tuple(false, false, true));
    closing = true;
    EXPECT_TRUE(first->close());
}

TEST(Placement, DialogsAreCentredUntilMoved)
{
    const TempFolder folder;
    QWidget dialog;
    dialog.setObjectName("frmOption");
    dialog.resize(300, 200);
    modControl::RestoreDialogPosition(&dialog);
    const QRect screen = dialog.screen()->geometry();
    EXPECT_NEAR(dialog.x(), (screen.width() - 300) / 2, 2);
    dialog.move(40, 50);
    modControl::SaveDialogPosition(&dialog);
    QWidget again;
    again.setObjectName("frmOption");
    again.resize(300, 200);
    modControl::RestoreDialogPosition(&again);
    EXPECT_EQ(again.pos(), QPoint(40, 50));
}

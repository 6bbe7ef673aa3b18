// The grid windows in a real frame, with the platform fake answering.

#include "core/AbbreviatePath.h"
#include "dialogs/frmOption.h"
#include "grid/modToolbar.h"
#include "support/FrameFixture.h"
#include "support/GridTexts.h"
#include "support/QtPrinters.h"

#include <QAction>
#include <QFile>
#include <QCheckBox>
#include <QMdiArea>
#include <QPushButton>
#include <QToolBar>

namespace {

class GridWindowTest : public FrameFixture {
protected:
    QString panel(int slot, const char* key) { return StatusPanels::Text(window(slot).StatusBar1(), key); }
    QStringList cells(int slot) { return GridTexts(grid(slot)->Store()); }
};

} // namespace

TEST_F(GridWindowTest, ThreeWindowsWithTheirRolesToolbarsAndPanels)
{
    EXPECT_EQ(QStringList({window(0).Caption(), window(1).Caption(), window(2).Caption()}), QStringList({"File 1", "File 2", "Compare"}));
    // File windows open and take drops; Compare compares and takes none.
    const auto has = [&](int slot, const char* button) { return modToolbar::ToolButton(window(slot).Toolbar1(), button) != nullptr; };
    EXPECT_EQ(std::tuple(has(0, "Open"), has(0, "Compare"), has(2, "Compare"), window(0).MSFlexGrid1()->OLEDropMode(),
                         window(2).MSFlexGrid1()->OLEDropMode()),
              std::tuple(true, false, true, 1, 0));
    for (const char* key : {"Dimension", "Space0", "Size", "DateLastModified"})
        EXPECT_NE(StatusPanels::Panel(window(2).StatusBar1(), key), nullptr) << key;

    // Activating "Compare" greys Open and the recent paths; a file window brings them back.
    modControl::AddRecentPath(frame, "/data/a.txt");
    frame.mdiArea()->setActiveSubWindow(window(2).SubWindow());
    EXPECT_EQ(std::pair(frame.mnuFileManage(0)->isEnabled(), frame.mnuFileRecentPath(4)->isEnabled()), std::pair(false, false));
    frame.mdiArea()->setActiveSubWindow(window(1).SubWindow());
    EXPECT_EQ(std::pair(frame.mnuFileManage(0)->isEnabled(), frame.mnuFileRecentPath(4)->isEnabled()), std::pair(true, true));

    // The grid never gets a negative height, and Text1 ends at the grid's right edge.
    window(0).SubWindow()->resize(300, 30);
    EXPECT_EQ(window(0).MSFlexGrid1()->height(), 0);
    window(0).SubWindow()->resize(640, 400);
    QWidget* cell = modToolbar::ToolPlaceholder(window(0).Toolbar1(), "Cell");
    EXPECT_TRUE(QTest::qWaitFor([&] { return window(0).Text1()->isVisible(); }, 1000));
    EXPECT_NEAR(cell->mapTo(&window(0), QPoint(window(0).Text1()->width(), 0)).x(), window(0).MSFlexGrid1()->width(), 12);
}

TEST_F(GridWindowTest, ALoadFillsGridCaptionPanelsAndRecentPaths)
{
    const QString path = folder.write("a.txt", "1 2 3 4\r\n5 6 7 8\r\n9 10 11 12\r\n");
    ASSERT_TRUE(modMain::LoadFile(window(0), path));
    EXPECT_EQ(cells(0), QStringList({"|1|2|3|4", "1|1|2|3|4", "2|5|6|7|8", "3|9|10|11|12"}));
    EXPECT_EQ(QStringList({panel(0, "Dimension"), panel(0, "Size"), window(0).Caption(), modControl::RecentPaths()[0],
                           frame.mnuFileRecentPath(4)->text()}),
              QStringList({"R3 x C4", QString::number(QFile(path).size()) + ".00Bytes", CaptionFor(path), path, path}));
    EXPECT_FALSE(panel(0, "DateLastModified").isEmpty());
    EXPECT_TRUE(fake.messages.empty());

    // Loading it again gives the same, and the path stays once in the list.
    ASSERT_TRUE(modMain::LoadFile(window(0), path));
    EXPECT_EQ(std::tuple(panel(0, "Dimension"), modControl::RecentPaths()[1]), std::tuple("R3 x C4", ""));
}

TEST_F(GridWindowTest, AFileThatCannotBeReadChangesNothing)
{
    const QString good = folder.write("good.txt", "1 2\n");
    ASSERT_TRUE(modMain::LoadFile(window(1), good));
    const QStringList before = cells(1);
    const QString caption = window(1).Caption();
    const QString dimension = panel(1, "Dimension");

    const QString missing = folder.path("missing.txt");
    // Larger than the memory there is (sparse, it takes no disk): read as CSV, whose table
    // holds the file's bytes, it is refused before reading.
    const QString huge = folder.write("huge.txt", "");
    QFile(huge).resize(qint64(64) << 30);
    // A line of 65 MB of NULs: more than the longest line read.
    const QString overlong = folder.write("overlong.txt", "");
    QFile(overlong).resize(qint64(65) << 20);
    modControl::RecentPaths()[1] = missing;
    for (const QString& bad : {missing, folder.path(), huge, overlong}) {
        modUtil::WriteString("Option", "CsvMode", bad == huge ? "1" : "0");
        fake.messages.clear();
        EXPECT_FALSE(modMain::LoadFile(window(1), bad));
        ASSERT_EQ(fake.messages.size(), 1u);
        const QString why = bad == huge ? "Can't open " + bad + "\nThe file is larger than the memory available."
            : bad == overlong           ? "Can't read " + bad + ": line 1 is longer than 64 MB."
                                        : "Can't open " + bad;
        EXPECT_EQ(std::tuple(fake.messages[0].text, fake.messages[0].icon, fake.messages[0].title),
                  std::tuple(why, platform::Icon::Information, QString("Tallir")));
        EXPECT_EQ(std::tuple(cells(1), window(1).Caption(), panel(1, "Dimension")), std::tuple(before, caption, dimension)) << "nothing changed";
    }
    EXPECT_EQ(modControl::RecentPaths(), (modControl::RecentPathList{good, "", "", "", ""}));
    fake.messages.clear();
    EXPECT_FALSE(modMain::LoadFile(window(1), ""));
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(GridWindowTest, ReadCsvReadsTheFilesAgainAndSaysSo)
{
    const QString path = folder.write("t.csv", "\"1.5\",,\"a, b\"\n");
    ASSERT_TRUE(modMain::LoadFile(window(0), path));
    EXPECT_EQ(cells(0), QStringList({"|1|2", "1|\"1.5\"|\"a, b\""})) << "off: the values as ever";
    EXPECT_EQ(panel(0, "Space0"), "");
    // Switched on in the Options dialog: the file shown is read again, as CSV, and says so.
    work<frmOption>(frame.mnuToolOption(), [](frmOption& dialog) {
        dialog.Check3()->setChecked(true);
        dialog.Command1(0)->click();
    });
    EXPECT_EQ(std::tuple(cells(0), panel(0, "Space0")), std::tuple(QStringList({"|1|2|3", "1|1.5||a, b"}), "read as CSV"));
}

TEST_F(GridWindowTest, AFirstLineOfNamesReadAsARowGetsAHint)
{
    const QString hint = "the first line looks like column names: Tool > First Line Holds Names";
    const std::pair<const char*, QString> cases[] = {
        {"time x\n0 1.5\n", hint}, {"1 2\n3 4\n", ""}, {"time x\n", ""}, {"a b\nc d\n", ""}, {"time 2\n0 1\n", ""}, {"1 x\n2 3\n", ""}, {"time\n0\n", hint}, {"\n0 1\n", ""},
    };
    for (const auto& [text, said] : cases) {
        ASSERT_TRUE(modMain::LoadFile(window(0), folder.write("t.txt", text)));
        EXPECT_EQ(panel(0, "Space0"), said) << text;
    }
    frame.mnuToolNamesLine()->trigger();
    ASSERT_TRUE(modMain::LoadFile(window(0), folder.write("t.txt", "time x\n0 1.5\n")));
    EXPECT_EQ(panel(0, "Space0"), "") << "read as names";
}

TEST_F(GridWindowTest, CompareWritesVerdictsPanelsAndTheClosingMessage)
{
    const QString a = folder.write("a.txt", "1.0 1e3 1.5 0 1 2 abc abc\n\"5\" 7 8 9\n1 2 3 4\n");
    const QString b = folder.write("b.txt", "1 1000 1.6 0.001 11 -2 abc ABC\n5 7\n");
    load(a, b);
    EXPECT_EQ(cells(2), QStringList({"|1|2|3|4|5|6|7|8", "1|||1.18|3.00|-1.00|-0.30||D", "2|D||D|D||||"}));
    EXPECT_EQ(std::pair(panel(2, "Dimension"), panel(2, "Size")), std::pair(QString("R2 x C8"), QString("Different")));
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(std::pair(fake.messages[0].text, fake.messages[0].icon),
              std::pair(window(0).Caption() + " != " + window(1).Caption() + "\r\nat 8 cells\r\nin smaller rows and cols.",
                        platform::Icon::Exclamation));

    // The same file twice: nothing differs, "Same" everywhere, the information icon.
    fake.messages.clear();
    ASSERT_TRUE(modMain::LoadFile(window(1), a));
    modControl::RecentPaths() = {};
    modMain::CompareGrids();
    EXPECT_EQ(std::pair(panel(2, "Size"), panel(2, "DateLastModified")), std::pair(QString("Same"), QString("Same")));
    EXPECT_EQ(std::pair(fake.messages[0].text, fake.messages[0].icon),
              std::pair(window(0).Caption() + " == " + window(1).Caption() + "\r\nin smaller rows and cols.", platform::Icon::Information));

    // An edited cell is compared as edited.
    window(1).MSFlexGrid1()->SetTextMatrix(3, 4, "4.5");
    modMain::CompareGrids();
    EXPECT_EQ(window(2).MSFlexGrid1()->TextMatrix(3, 4), "0.90");
}

TEST_F(GridWindowTest, PrecisionSettingsAndSmallTables)
{
    folder.write("Tallir.ini", "[Option]\nPrecisionSame=1\nPrecisionLog=10\n");
    load(folder.write("a.txt", "1\n"), folder.write("b.txt", "1.00000000001\n"));
    EXPECT_EQ(cells(2), QStringList({"|", "|S"})) << "a 2 x 2 grid that never grew keeps empty headers";
    EXPECT_EQ(fake.messages.back().text.count("at 1 cells"), 1);

    // Only 1 switches the rule on: -1 and 2 leave it off.
    for (const char* off : {"-1", "2", "0"}) {
        modUtil::WriteString("Option", "PrecisionSame", off);
        modMain::CompareGrids();
        EXPECT_EQ(cells(2), QStringList({"|", "|11.00"})) << off;
    }

    // Nothing loaded: both windows show their first panels, which agree.
    mdiMain fresh;
    fresh.MDIForm_Load();
    modMain::CompareGrids();
    EXPECT_EQ(std::tuple(panel(2, "Size"), fake.messages.back().text), std::tuple("Same", "File 1 == File 2\r\nin smaller rows and cols."));
}

TEST_F(GridWindowTest, TheLockPanelsFollowTheSessionsLockKeys)
{
    auto panels = [&] { return StatusPanels::Text(frame.StatusBar1(), "Caps") + "|" + StatusPanels::Text(frame.StatusBar1(), "Num"); };
    fake.locks = {true, false};
    EXPECT_TRUE(QTest::qWaitFor([&] { return panels() == "CAPS|"; }, 2500)) << panels().toStdString();
    fake.locks = {false, true};
    EXPECT_TRUE(QTest::qWaitFor([&] { return panels() == "|NUM"; }, 2500)) << panels().toStdString();
}

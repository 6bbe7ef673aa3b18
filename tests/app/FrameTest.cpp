// The frame driven as a person would through its command line, menus, toolbar and drops.

#include "app/mdiMain.h"
#include "app/modMain.h"
#include "dialogs/ShowOpenDialog.h"
#include "dialogs/frmAbout.h"
#include "grid/GridWindows.h"
#include "grid/MSFlexGrid.h"
#include "grid/StatusPanels.h"
#include "grid/frmGrid.h"
#include "grid/modToolbar.h"
#include "settings/modUtil.h"
#include "support/FakePlatform.h"
#include "support/QtPrinters.h"
#include "support/TempFolder.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QPlainTextEdit>
#include <QProcess>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QTest>
#include <QStyle>
#include <QToolBar>
#include <gtest/gtest.h>
#include <memory>

namespace {

class FrameTest : public testing::Test {
protected:
    FrameTest()
        : previousFolder(QDir::currentPath())
    {
        modControl::RecentPaths() = {};
        QDir::setCurrent(folder.path());
        folder.write("a.txt", "1 2\n3 4\n");
        folder.write("b.txt", "1 2\n3 5\n");
        folder.write("c.txt", "9\n");
        QDir().mkdir("dir with space");
        folder.write("dir with space/q.txt", "7 7\n");
    }
    ~FrameTest() override
    {
        QDir::setCurrent(previousFolder);
        modControl::RecentPaths() = {};
    }

    // A frame started as the program starts it, its command line included.
    mdiMain& start(const QStringList& arguments = {})
    {
        frame.reset();
        frame = std::make_unique<mdiMain>();
        frame->MDIForm_Load();
        frame->resize(900, 600);
        frame->show();
        QApplication::processEvents();
        frame->ProcessCommandLine(arguments);
        return *frame;
    }
    frmGrid& window(int slot) { return *GridWindows()[slot]; }
    QStringList messages() const
    {
        QStringList texts;
        for (const auto& message : fake.messages)
            texts << message.text;
        return texts;
    }

    QString previousFolder;
    TempFolder folder;
    FakePlatform fake;
    std::unique_ptr<mdiMain> frame;
};

} // namespace

TEST_F(FrameTest, CommandLineGrammar)
{
    // The message box texts in order, the captions, "WindowArrange" and "ImmediateCompare" afterwards (-1: not
    // written), and whether the frame still shows.
    struct Case { QStringList arguments; QStringList messages; QString file1, file2; int arrange; int immediate; bool open; };
    const QString compared = "./a.txt != ./b.txt\r\nat 1 cells\r\nin smaller rows and cols.";
    const std::vector<Case> cases = {
        {{}, {}, "File 1", "File 2", 2, -1, true}, {{"-x"}, {"Option \"x\" ignored."}, "File 1", "File 2", 2, -1, true},
        {{"-H"}, {"Option \"H\" ignored."}, "File 1", "File 2", 2, -1, true},
        {{"-"}, {"Option (null) ignored."}, "File 1", "File 2", 2, -1, true},
        {{"/"}, {"Option (null) ignored."}, "File 1", "File 2", 2, -1, true},
        {{"-w"}, {"Option \"w\" ignored."}, "File 1", "File 2", 2, -1, true},
        {{"-wq"}, {"Option \"wq\" ignored."}, "File 1", "File 2", 2, -1, true},
        {{"-wci"}, {}, "File 1", "File 2", 0, -1, true},
        {{"/wh", "a.txt", "b.txt"}, {}, "./a.txt", "./b.txt", 1, -1, true},
        {{"-xiy"}, {"Option \"x\" ignored.", "Option \"y\" ignored."}, "File 1", "File 2", 2, 1, true},
        {{"-ie", "a.txt", "b.txt"}, {compared}, "./a.txt", "./b.txt", 2, 1, false},
        {{"-e", "a.txt"}, {}, "./a.txt", "File 2", 2, 1, true},
        {{"a.txt", "-i"}, {"Can't open ./-i"}, "./a.txt", "File 2", 2, -1, true},
        {{"-i", "a.txt", "-e"}, {"Can't open ./-e", "./a.txt != File 2\r\nat 1 cells\r\nin smaller rows and cols."},
         "./a.txt", "File 2", 2, 1, true},
        {{"\"dir with space/q.txt\"", "a.txt", "c.txt"}, {}, "dir with space/q.txt", "./a.txt", 2, -1, true},
        {{"", "a.txt"}, {}, "./a.txt", "File 2", 2, -1, true},
        {{"--", "-i", "b.txt"}, {"Can't open ./-i"}, "File 1", "./b.txt", 2, -1, true}, // names after "--" are files
        {{"m1.txt", "m2.txt"}, {"Can't open ./m1.txt", "Can't open ./m2.txt"}, "File 1", "File 2", 2, -1, true}, // read together, told in order
        {{"-i", "--", "a.txt", "b.txt"}, {compared}, "./a.txt", "./b.txt", 2, 1, true},
        // An absolute path is a file, not an option.
        {{"-i", folder.path("a.txt"), folder.path("b.txt")},
         {CaptionFor(folder.path("a.txt")) + " != " + CaptionFor(folder.path("b.txt")) + "\r\nat 1 cells\r\nin smaller rows and cols."},
         CaptionFor(folder.path("a.txt")), CaptionFor(folder.path("b.txt")), 2, 1, true},
    };
    for (const auto& c : cases) {
        QFile::remove(folder.settingsPath());
        fake.messages.clear();
        mdiMain& f = start(c.arguments);
        const std::string what = c.arguments.join(' ').toStdString();
        EXPECT_EQ(std::tuple(messages(), window(0).Caption(), window(1).Caption(), modUtil::ReadInteger("Option", "WindowArrange", -1),
                             modUtil::ReadInteger("Option", "ImmediateCompare", -1), f.isVisible()),
                  std::tuple(c.messages, c.file1, c.file2, qint16(c.arrange), qint16(c.immediate), c.open)) << what;
    }
}

TEST_F(FrameTest, ImmediateCompareFromTheFileOrTheOptionsOfThisRun)
{
    const QString compared = "./a.txt != ./b.txt\r\nat 1 cells\r\nin smaller rows and cols.";
    // Only 1 in the file compares at once; 2 or -1 do not.
    for (const char* stored : {"1", "2", "-1"}) {
        QFile::remove(folder.settingsPath());
        modUtil::WriteString("Option", "ImmediateCompare", stored);
        fake.messages.clear();
        start({"a.txt", "b.txt"});
        EXPECT_EQ(messages(), QString(stored) == "1" ? QStringList{compared} : QStringList{}) << stored;
    }

    // A settings file that cannot be written (here a folder in its place) cannot keep "-e",
    // but "-e" still compares and ends this run; "-wh" still arranges it.
    QFile::remove(folder.settingsPath());
    QDir().mkdir(folder.settingsPath());
    fake.messages.clear();
    mdiMain& ended = start({"-e", "a.txt", "b.txt"});
    EXPECT_EQ(messages(), QStringList{compared});
    EXPECT_FALSE(ended.isVisible());
    start({"-wh"});
    QApplication::processEvents();
    const auto windows = frame->mdiArea()->subWindowList();
    EXPECT_EQ(windows[0]->width(), frame->mdiArea()->viewport()->width()) << "tiled top to bottom";
    QDir().rmdir(folder.settingsPath());
}

TEST_F(FrameTest, TheRecentListHoldsAbsolutePathsThatOpenFromAnywhere)
{
    mdiMain& f = start({"a.txt"});
    EXPECT_EQ(window(0).Caption(), "./a.txt") << "the caption shows the path as given";
    EXPECT_EQ(modControl::RecentPaths()[0], folder.path("a.txt"));
    QAction* item = nullptr;
    for (int k = 0; k < 5; ++k)
        if (f.mnuFileRecentPath(k)->isVisible() && f.mnuFileRecentPath(k)->text() == folder.path("a.txt"))
            item = f.mnuFileRecentPath(k);
    ASSERT_NE(item, nullptr) << "the menu shows the absolute path";
    QDir::setCurrent(QDir::rootPath());
    f.mdiArea()->setActiveSubWindow(window(1).SubWindow());
    item->trigger();
    EXPECT_TRUE(fake.messages.empty()) << fake.messages[0].text.toStdString();
    EXPECT_EQ(window(1).Caption(), CaptionFor(folder.path("a.txt")));
    QDir::setCurrent(folder.path());
}

TEST_F(FrameTest, CompareAndExitEndsWithTheStatusOfDiff)
{
    folder.write("same.txt", "1 2\n3 4\n");
    struct Case { QStringList arguments; int status; };
    const Case cases[] = {
        {{"-e", "a.txt", "same.txt"}, 0}, {{"-e", "a.txt", "b.txt"}, 1}, {{"-e", "a.txt", "missing.txt"}, 2},
        {{"-i", "a.txt", "b.txt"}, 0}, // not ended by -e: the usual end
    };
    for (const Case& c : cases) {
        fake.messages.clear();
        EXPECT_EQ(start(c.arguments).ExitStatus(), c.status) << c.arguments.join(' ').toStdString();
    }

    // --version answers on standard output, without a window or a display.
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    process.setProcessEnvironment(environment);
    process.start(TALLIR, {"--version"});
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(std::tuple(process.exitCode(), process.readAllStandardOutput()), std::tuple(0, "Tallir Ver.1.0 Rev.109\n"));
}

TEST_F(FrameTest, CascadeShowsEveryTitleAndAMaximisedWindowComesBackMaximised)
{
    mdiMain& f = start();
    f.mnuWindowArrange(0)->trigger();
    QApplication::processEvents();
    QMdiSubWindow* file1 = window(0).SubWindow();
    QMdiSubWindow* file2 = window(1).SubWindow();
    QMdiSubWindow* compare = window(2).SubWindow();
    EXPECT_EQ(f.mdiArea()->activeSubWindow(), file1) << "File 1 in front";
    // Each window in front of another starts below that one's title text: every title is read.
    const int text = file1->fontMetrics().height();
    for (auto [behind, front] : {std::pair{compare, file2}, {file2, file1}}) {
        EXPECT_GE(front->geometry().y() - behind->geometry().y(), text) << behind->windowTitle().toStdString();
        EXPECT_GT(front->geometry().x(), behind->geometry().x()) << behind->windowTitle().toStdString();
    }

    // A maximised File 1 is remembered, whatever the other windows write after it.
    file1->showMaximized();
    f.mdiArea()->setActiveSubWindow(file1);
    f.close();
    EXPECT_EQ(modUtil::ReadInteger("frmGrid", "WindowState", 0), 2);
    mdiMain& again = start();
    ASSERT_NE(again.mdiArea()->activeSubWindow(), nullptr);
    EXPECT_TRUE(again.mdiArea()->activeSubWindow()->isMaximized());
}

TEST_F(FrameTest, HelpOptionShowsTheAboutBoxOnItsVersionTabAndCloses)
{
    modUtil::WriteString("About", "SelectedTab", "Memory");
    for (const char* option : {"-h", "/?"}) {
        QStringList shown;
        fake.onDialog = [&](QDialog& dialog) {
            shown << dialog.objectName() + ":" + static_cast<frmAbout&>(dialog).SelectedKey();
            EXPECT_TRUE(static_cast<frmAbout&>(dialog).txtOption()->toPlainText().contains("  -e: Immediate Compare & Exit\n"));
        };
        mdiMain& f = start({option, "a.txt"});
        EXPECT_EQ(shown, QStringList({"frmAbout:Version"})) << option;
        EXPECT_FALSE(f.isVisible());
        EXPECT_EQ(window(0).Caption(), "File 1") << "nothing after the letter runs";
        EXPECT_TRUE(folder.read("Tallir.ini").contains("[Tool]\nToolBar=-1\nStatusBar=-1\n"));
    }
    fake.onDialog = {};
}

TEST_F(FrameTest, StartUpReadsBarsAndArrangementAndClosingWritesThem)
{
    folder.write("Tallir.ini", "[Tool]\nToolBar=0\nStatusBar=-1\n[Option]\nWindowArrange=1\n");
    mdiMain& f = start();
    EXPECT_EQ(std::tuple(f.mnuToolBar(0)->isChecked(), f.Toolbar1()->isHidden(), f.mnuToolBar(1)->isChecked(), f.StatusBar1()->isHidden()),
              std::tuple(false, true, true, false));

    // Tiled horizontally: full width, stacked "File 1", "File 2", "Compare", and File 1 active.
    const int width = f.mdiArea()->viewport()->width();
    for (int slot = 0; slot < 3; ++slot)
        EXPECT_EQ(window(slot).SubWindow()->width(), width) << slot;
    EXPECT_LT(window(0).SubWindow()->y(), window(1).SubWindow()->y());
    EXPECT_LT(window(1).SubWindow()->y(), window(2).SubWindow()->y());
    EXPECT_EQ(f.mdiArea()->activeSubWindow(), window(0).SubWindow());

    // The Window menu: tile vertical side by side, written back; "Arrange Icons" writes nothing.
    f.mnuWindowArrange(2)->trigger();
    EXPECT_EQ(std::tuple(modUtil::ReadInteger("Option", "WindowArrange", -1), window(0).SubWindow()->x()), std::tuple(2, 0));
    EXPECT_LT(window(0).SubWindow()->x(), window(1).SubWindow()->x());
    EXPECT_EQ(window(2).SubWindow()->height(), f.mdiArea()->viewport()->height());
    f.mnuWindowArrange(4)->trigger();
    f.mnuWindowArrange(3)->trigger();
    EXPECT_EQ(modUtil::ReadInteger("Option", "WindowArrange", -1), 2);
    EXPECT_FALSE(f.mnuWindowArrange(3)->isVisible());

    f.mnuToolBar(0)->trigger();
    EXPECT_TRUE(f.mnuToolBar(0)->isChecked());
    f.mnuToolBar(1)->trigger();
    EXPECT_TRUE(f.StatusBar1()->isHidden());
    f.mnuFileExit()->trigger();
    EXPECT_FALSE(f.isVisible());
    const QByteArray settings = folder.read("Tallir.ini");
    EXPECT_EQ(std::tuple(modUtil::ReadInteger("Tool", "ToolBar", 5), modUtil::ReadInteger("Tool", "StatusBar", 5)), std::tuple(-1, 0));
    for (const char* section : {"[RecentPath]", "[mdiMain]", "[frmGrid]"})
        EXPECT_TRUE(settings.contains(section)) << section;

    // No settings file to read: the frame says so and starts with the defaults.
    QFile::remove(folder.settingsPath());
    QDir().mkdir(folder.settingsPath());
    EXPECT_TRUE(start().mnuToolBar(0)->isChecked());
    EXPECT_EQ(StatusPanels::Text(frame->StatusBar1(), "Space0"),
              "The settings file " + folder.settingsPath() + " is no regular file: the defaults are used and it is left as it is.");
}

TEST_F(FrameTest, OpenDialogAndOpenCommands)
{
    mdiMain& f = start();
    modUtil::WriteString("Option", "ImmediateCompare", "1");
    fake.chosenFiles = {folder.path("a.txt")};
    f.mdiArea()->setActiveSubWindow(window(1).SubWindow());
    f.mnuFileManage(0)->trigger();
    ASSERT_EQ(fake.fileDialogs.size(), 1u);
    const platform::OpenFileRequest& asked = fake.fileDialogs[0]; // the file name box preset
    EXPECT_EQ(std::tuple(asked.title, asked.filters, asked.fileName, asked.defaultSuffix),
              std::tuple(QString("Tallir - Open File 2"), QStringList({"Input Files (*)", "All Files (*)"}), QString("*.*"), QString("*")));
    EXPECT_EQ(StatusPanels::Text(window(1).StatusBar1(), "Dimension"), "R2 x C2");

    ASSERT_EQ(fake.messages.size(), 1u) << "compared at once";
    fake.messages.clear();

    // A typed name of a file that is not there reaches the load, which says so and compares nothing.
    fake.chosenFiles = {folder.path("typed-missing.txt")};
    f.mnuFileManage(0)->trigger();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "Can't open " + folder.path("typed-missing.txt"));
    fake.messages.clear();
    fake.fileDialogs.erase(fake.fileDialogs.begin() + 1);

    // While "Compare" is active Open is greyed, but the toolbar's Open runs it all the same:
    // the dialog shows untitled, and nothing loads whatever is chosen.
    f.mdiArea()->setActiveSubWindow(window(2).SubWindow());
    EXPECT_FALSE(f.mnuFileManage(0)->isEnabled());
    fake.chosenFiles = {folder.path("b.txt")};
    modToolbar::ToolButton(f.Toolbar1(), "Open")->trigger();
    ASSERT_EQ(fake.fileDialogs.size(), 2u);
    EXPECT_EQ(fake.fileDialogs[1].title, "");
    EXPECT_TRUE(fake.messages.empty());

    // A recent path loads into the active window and, when asked for, compares.
    f.mdiArea()->setActiveSubWindow(window(0).SubWindow());
    ASSERT_EQ(f.mnuFileRecentPath(4)->text(), folder.path("a.txt"));
    f.mnuFileRecentPath(4)->trigger();
    EXPECT_EQ(StatusPanels::Text(window(0).StatusBar1(), "Dimension"), "R2 x C2");
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_TRUE(fake.messages[0].text.contains(" == "));
    f.mnuFileManage(0)->trigger(); // cancelled
    EXPECT_EQ(fake.messages.size(), 1u) << "a cancelled dialog loads and compares nothing";
}

TEST_F(FrameTest, HelpAndHomePage)
{
    mdiMain& f = start();
    modMain::SetHelpFile(folder.path("missing.html"));
    f.mnuHelpHelp(0)->trigger();
    f.mnuHelpHelp(1)->trigger();
    EXPECT_EQ(messages(), QStringList({"Help is not available now.", "Home page is not available now."}));
    modMain::SetHelpFile(folder.write("Tallir.html", "<html></html>"));
    modToolbar::ToolButton(f.Toolbar1(), "Help")->trigger();
    ASSERT_EQ(fake.openedUrls.size(), 1u);
    EXPECT_EQ(fake.openedUrls[0], QUrl::fromLocalFile(folder.path("Tallir.html")));
}

TEST_F(FrameTest, FilesHandedOverLoadAsTheCommandLineWould)
{
    mdiMain& f = start();
    EXPECT_EQ(modMain::CommandLineFiles({"-i", "a.txt", "b.txt", "c.txt"}), QStringList({folder.path("a.txt"), folder.path("b.txt")}));
    EXPECT_TRUE(modMain::CommandLineFiles({"-wv"}).isEmpty());
    // How the second copy asks for a comparison: -e before -i, nothing after "--" or a file.
    const std::pair<QStringList, QString> compares[] = {
        {{"a.txt"}, ""}, {{"-i", "a.txt"}, "i"}, {{"/e"}, "e"}, {{"-ie"}, "e"}, {{"-ei"}, "e"}, {{"-we", "-x"}, ""},
        {{"--", "-e"}, ""}, {{"a.txt", "-e"}, ""},
    };
    for (const auto& [arguments, compare] : compares)
        EXPECT_EQ(modMain::CommandLineCompare(arguments), compare) << arguments.join(' ').toStdString();

    // A lone file goes to File 1, then to File 2 while only File 1 holds one; none compares
    // until both hold a file, and then only when asked.
    const QString a = folder.path("a.txt"), b = folder.path("b.txt");
    f.OpenHandedOver({a});
    f.OpenHandedOver({b});
    EXPECT_EQ(QStringList({window(0).Caption(), window(1).Caption()}), QStringList({CaptionFor(a), CaptionFor(b)}));
    f.OpenHandedOver({a});
    EXPECT_EQ(window(0).Caption(), CaptionFor(a)) << "both hold files: File 1";
    QApplication::processEvents();
    EXPECT_TRUE(fake.messages.empty()) << "not asked to compare";
    f.OpenHandedOver({b, a}, true);
    EXPECT_TRUE(fake.messages.empty()) << "compared after the copy that asked is told";
    QApplication::processEvents();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, CaptionFor(b) + " != " + CaptionFor(a) + "\r\nat 1 cells\r\nin smaller rows and cols.");
}

TEST_F(FrameTest, AFrameSizedLateTilesTheWindowsIntoItsNewArea)
{
    // The window manager maximises the frame after it showed and tiled (as openbox does), or
    // the frame is placed again once its margins are known.
    for (const bool maximised : {true, false})
        for (const char* arrangement : {"1", "2"}) {
            folder.write("Tallir.ini", QByteArray("[Option]\nWindowArrange=") + arrangement + "\n");
            mdiMain& f = start();
            QApplication::processEvents();
            if (maximised)
                f.showMaximized();
            else
                f.resize(f.width() - 60, f.height() - 80);
            QTest::qWait(50);
            const QSize area = f.mdiArea()->viewport()->size();
            const QSize first = window(0).SubWindow()->size();
            EXPECT_EQ(QString(arrangement) == "1" ? first.width() : first.height(), QString(arrangement) == "1" ? area.width() : area.height())
                << arrangement << (maximised ? " maximised" : " resized");
        }
}

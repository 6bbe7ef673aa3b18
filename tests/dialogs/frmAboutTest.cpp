#include "dialogs/AboutText.h"
#include "dialogs/frmAbout.h"
#include "support/FakePlatform.h"
#include "support/QtPrinters.h"
#include "support/TempFolder.h"

#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QScreen>
#include <gtest/gtest.h>

TEST(frmAbout, RemembersItsTabAndWrapsWithCtrlTab)
{
    const TempFolder folder;
    FakePlatform fake;
    {
        frmAbout box;
        box.show();
        // The first opening is centred on the screen by the size it shows with.
        const QPoint centre = box.frameGeometry().center();
        const QPoint screen = box.screen()->geometry().center();
        EXPECT_LE((centre - screen).manhattanLength(), 20);
        EXPECT_EQ(std::tuple(box.windowTitle(), box.SelectedKey(), box.picAbout(0)->isVisibleTo(&box), box.picAbout(3)->isVisibleTo(&box)),
                  std::tuple(QString("About Tallir"), QString("Version"), true, false));
        box.tbsAbout()->setCurrentIndex(3);
        EXPECT_TRUE(box.picAbout(3)->isVisibleTo(&box));
        box.cmdOK_Click();
    }
    EXPECT_TRUE(folder.read("Tallir.ini").startsWith("[About]\nSelectedTab=Memory\n"));
    {
        frmAbout box;
        EXPECT_EQ(box.SelectedKey(), "Memory");
        box.show();
        QTest::keyClick(box.cmdOK(), Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(box.SelectedKey(), "Uninstall");
        EXPECT_FALSE(box.cmdOK()->isDefault()) << "Enter cannot start the removal";
        QTest::keyClick(box.tbsAbout(), Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(box.SelectedKey(), "Version") << "after the last tab, the first";
        QTest::keyClick(box.tbsAbout(), Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(box.SelectedKey(), "Version") << "Ctrl+Shift+Tab does nothing";
        box.close();
    }
    EXPECT_TRUE(folder.read("Tallir.ini").contains("SelectedTab=Memory")) << "closing by the close box stores nothing";
    EXPECT_TRUE(folder.read("Tallir.ini").contains("[frmAbout]\nLeft="));

    frmAbout versionFirst(nullptr, true);
    EXPECT_EQ(versionFirst.SelectedKey(), "Version");
    versionFirst.findChild<QPushButton*>("cmdMSInfo")->click();
    EXPECT_EQ(fake.messages.back().text, "MS Info is not available on this PC.");
}

TEST(frmAbout, UninstallRemovesTheSettingsAndEndsOnlyOnYes)
{
    const TempFolder folder;
    FakePlatform fake;
    folder.write("Tallir.ini", "[Option]\nPrecisionSame=1\n");
    frmAbout box;
    box.tbsAbout()->setCurrentIndex(4);
    EXPECT_EQ(std::tuple(box.label("lblUninstall0")->text(), box.label("lblUninstall2")->text()),
              std::tuple("Press OK to remove Tallir.ini", "and exit Tallir."));
    fake.answers = {platform::Answer::No};
    box.cmdOK_Click();
    EXPECT_EQ(std::pair(QFile::exists(folder.settingsPath()), fake.endedWith), std::pair(true, std::optional<int>()));
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(std::pair(fake.messages[0].text, fake.messages[0].defaultButton),
              std::pair(QString("Are you sure ?"), std::optional(platform::Answer::No)));

    fake.answers = {platform::Answer::Yes};
    box.cmdOK_Click();
    EXPECT_EQ(std::tuple(QFile::exists(folder.settingsPath()), fake.messages.back().text, fake.endedWith),
              std::tuple(false, QString("If manually installed, remove the installed folder to uninstall Tallir."), std::optional(0)));
}

TEST(frmAbout, MemoryAndSystemTextsFromInjectedFigures)
{
    struct Case { std::uint64_t bytes; const char* text; };
    const std::vector<Case> kilobytes = {{512 * 1024, "0,512 KB"}, {0, "0,000 KB"}, {20000000ull * 1024, "20,000,000 KB"}, {1536, "0,002 KB"}};
    for (const auto& c : kilobytes)
        EXPECT_EQ(AboutText::KiloBytes(c.bytes), c.text) << c.bytes;
    for (const auto& [used, total, tip] : {std::tuple{1, 2, "50.0 %"}, {3, 2, "More than 100.0 %"}, {0, 0, "0.0 %"}})
        EXPECT_EQ(AboutText::MemoryBar(used, total).toolTip, tip) << used << " of " << total;
    EXPECT_EQ(AboutText::MemoryBar(3, 2).value, 1.0);
    for (const auto& [bits, text] : {std::pair{16, "High Color (1plane/16bit)"}, {32, "True Color (1plane/32bit)"}, {8, "8 Colors (1plane/8bit)"}})
        EXPECT_EQ(AboutText::Colors(1, bits), text);

    const TempFolder folder;
    FakePlatform fake;
    fake.facts.memory = {1000ull << 20, 250ull << 20, 0, 0, 1000ull << 20, 250ull << 20};
    fake.facts.processorCount = 4;
    frmAbout box;
    EXPECT_EQ(QStringList({box.label("lblMemory1")->text(), box.pgbMemory(0)->toolTip(), box.label("lblCPU1")->text(),
                           box.label("lblWinVersion")->text()}),
              QStringList({"256,000 KB", "25.0 %", "4x x86_64 Test CPU", "Test Linux (Kernel 6.1.0-test)"}));
    EXPECT_EQ(box.pgbMemory(0)->value(), 250);
    fake.facts.memory.availablePhysical = 500ull << 20;
    box.tmrSysInfo_Timer();
    EXPECT_EQ(box.pgbMemory(0)->toolTip(), "50.0 %");
}

// File names that are not UTF-8: kept byte for byte, shown readable, opened by both programs.

#include "app/mdiMain.h"
#include "grid/GridWindows.h"
#include "grid/MSFlexGrid.h"
#include "grid/frmGrid.h"
#include "locale/FileNames.h"
#include "support/FakePlatform.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <fstream>
#include <gtest/gtest.h>

TEST(FileNames, EveryByteSurvivesAndOnlyWhatIsShownIsReplaced)
{
    struct Case { QByteArray bytes; QString shown; };
    const Case cases[] = {
        {"plain.txt", "plain.txt"}, {"caf\xC3\xA9.txt", QString::fromUtf8("caf\xC3\xA9.txt")},
        {"caf\xE9.txt", QString::fromUtf8("caf\xEF\xBF\xBD.txt")},           // Latin-1
        {"\x80\xBF", QString::fromUtf8("\xEF\xBF\xBD\xEF\xBF\xBD")},         // lone continuations
        {"\xC0\xAF", QString::fromUtf8("\xEF\xBF\xBD\xEF\xBF\xBD")},         // overlong
        {"\xED\xA0\x80", QString::fromUtf8("\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD")}, // a surrogate's encoding
        {"\xF0\x9F\x98\x80!", QString::fromUtf8("\xF0\x9F\x98\x80!")},
        {"end\xE2\x82", QString::fromUtf8("end\xEF\xBF\xBD\xEF\xBF\xBD")},   // cut short
    };
    for (const Case& c : cases) {
        const QString name = FileNameFromBytes(c.bytes);
        EXPECT_EQ(FileNameBytes(name), c.bytes) << c.bytes.toHex().constData();
        EXPECT_EQ(ShownFileName(name), c.shown) << c.bytes.toHex().constData();
    }
}

TEST(FileNames, BothProgramsOpenANameThatIsNotUtf8)
{
    const TempFolder folder;
    const QByteArray name = QFile::encodeName(folder.path()) + "/caf\xE9.txt";
    std::ofstream(name.constData()) << "1 2\n3 4\n";
    folder.write("b.txt", "1 2\n3 5\n");

    // tallir-diff, given the bytes by a shell.
    QProcess shell;
    shell.setWorkingDirectory(folder.path());
    shell.start("/bin/bash", {"-c", "'" TALLIR_DIFF "' \"$(printf 'caf\\351.txt')\" b.txt"});
    ASSERT_TRUE(shell.waitForFinished(30000));
    const QByteArray report = shell.readAllStandardOutput();
    EXPECT_EQ(shell.exitCode(), 1) << report.constData();
    EXPECT_TRUE(report.contains("R2 C2\t4\t5\t")) << report.constData();
    EXPECT_TRUE(report.contains("caf\xE9.txt != b.txt")) << "the name is written as it is";

    // The window, given the name as its command line brings it.
    FakePlatform fake;
    mdiMain frame;
    frame.MDIForm_Load();
    frame.show();
    QApplication::processEvents();
    frame.ProcessCommandLine({FileNameFromBytes(name), folder.path("b.txt")});
    EXPECT_TRUE(fake.messages.empty()) << (fake.messages.empty() ? "" : fake.messages[0].text.toStdString());
    EXPECT_EQ(GridWindows()[0]->MSFlexGrid1()->TextMatrix(2, 2), "4");
    EXPECT_TRUE(GridWindows()[0]->Caption().endsWith(QString::fromUtf8("caf\xEF\xBF\xBD.txt")));
}

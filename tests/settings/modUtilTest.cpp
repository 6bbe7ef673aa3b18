#include "settings/SettingsFile.h"
#include "settings/modUtil.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <csignal>
#include <gtest/gtest.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace modUtil;

TEST(modUtil, FirstRunReadsEveryDefault)
{
    const TempFolder folder;
    EXPECT_EQ(SettingsPath(), folder.settingsPath());
    EXPECT_EQ(std::tuple(ReadDouble("Option", "PrecisionLog", 10), ReadInteger("Option", "WindowArrange", 2), ReadInteger("Tool", "ToolBar", 1),
                         ReadString("About", "SelectedTab", "Version"), ReadSingle("mdiMain", "Left", 2304.5f)),
              std::tuple(10.0, qint16(2), qint16(1), QString("Version"), 2304.5f));
    EXPECT_FALSE(QFile::exists(folder.settingsPath())) << "reading never creates the file";
}

TEST(modUtil, ReadsNumbersAsTheFileHoldsThem)
{
    const TempFolder folder;
    folder.write("Tallir.ini", "[Option]\n"
                               "ImmediateCompare=\n"
                               "PrecisionLog=12.5\n"
                               "WindowArrange=1x\n"
                               "Letters=abc\n"
                               "Negative=-1\n"
                               "Plus= +7\n"
                               "Huge=40000\n"
                               "Low=-32768\n"
                               "Bad=ten\n"
                               "Comma=2,5\n"
                               "Tiny=1E-20\n"
                               "TooBig=1e39\n"
                               "MinusInf=-inf\n"
                               "NotANumber=nan\n"
                               "[Tool]\nToolBar=0\nStatusBar=-1\n");
    struct IntCase { const char* key; qint16 defaultValue; qint16 expected; };
    const std::vector<IntCase> integers = {
        {"ImmediateCompare", 0, 0}, {"WindowArrange", 2, 1}, {"Letters", 5, 0}, {"Negative", 0, -1},
        {"Plus", 0, 7},  {"Huge", 3, 3}, {"Low", 0, -32768}, {"Missing", 9, 9},
    };
    for (const auto& c : integers)
        EXPECT_EQ(ReadInteger("Option", c.key, c.defaultValue), c.expected) << c.key;
    EXPECT_EQ(std::tuple(ReadInteger("Tool", "ToolBar", 1), ReadInteger("Tool", "StatusBar", 1)), std::tuple(0, -1));

    // An empty value falls back, and so do infinities and NaN: no numbers of this program.
    for (const auto& [key, fallback, expected] : {std::tuple{"PrecisionLog", 10.0, 12.5}, {"Bad", 10.0, 10.0}, {"ImmediateCompare", 10.0, 10.0},
                                                  {"Tiny", 10.0, 1e-20}, {"MinusInf", 6.0, 6.0}, {"NotANumber", 6.0, 6.0}})
        EXPECT_EQ(ReadDouble("Option", key, fallback), expected) << key;
    EXPECT_EQ(std::tuple(ReadSingle("Option", "TooBig", 4.5f), ReadSingle("Option", "MinusInf", 6), ReadSingle("Option", "PrecisionLog", 1)),
              std::tuple(4.5f, 6.0f, 12.5f));

    // Under a locale with a decimal comma the locale's own form reads, and so does the point.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(std::tuple(ReadDouble("Option", "Comma", 1), ReadDouble("Option", "PrecisionLog", 1), DoubleToText(2.5)),
              std::tuple(2.5, 12.5, QString("2,5")));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(std::tuple(DoubleToText(2.5), SingleToText(2304)), std::tuple("2.5", "2304"));
}

TEST(modUtil, StringsAreCutAt254CharactersAndAtNul)
{
    const TempFolder folder;
    const QString long300(300, QChar('x'));
    EXPECT_TRUE(WriteString("RecentPath", "0", long300));
    EXPECT_EQ(ReadString("RecentPath", "0", ""), QString(254, QChar('x')));
    const QString wide = QString(253, QChar('a')) + QString::fromUtf8("\xf0\x9f\x98\x80") + "tail";
    WriteString("RecentPath", "1", wide);
    EXPECT_EQ(ReadString("RecentPath", "1", ""), wide.left(255)) << "a character outside the BMP is kept whole";
    folder.write("Tallir.ini", QByteArray("[A]\nk=ab\0cd\n", 12));
    EXPECT_EQ(ReadString("A", "k", "d"), "ab");
}

TEST(modUtil, WritesReplaceTheFileWholeAndRefuseWhatCannotBeStored)
{
    // What a write keeps of a hand-edited file is the settings text's own (IniText).
    const TempFolder folder;
    folder.write("Tallir.ini", "; my notes\r\n[option]\r\n  precisionlog = 12 \r\n");
    EXPECT_TRUE(WriteString("Option", "PrecisionLog", "7"));
    EXPECT_EQ(folder.read("Tallir.ini"), "; my notes\r\n[option]\r\nprecisionlog=7\r\n");

    // Refused values leave the file as it was.
    const QByteArray before = folder.read("Tallir.ini");
    EXPECT_FALSE(WriteString("RecentPath", "0", "/a\nb"));
    EXPECT_EQ(folder.read("Tallir.ini"), before);

    // No temporary file is left beside it.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"Tallir.ini"});
}

TEST(modUtil, AWriteThatCannotFinishLeavesTheOldFileAndSaysSo)
{
    // A disk that fills up part way, made real with a file size limit (which binds root too).
    const TempFolder folder;
    QByteArray many = "[Option]\n";
    for (int i = 0; i < 20; ++i)
        many += "Key" + QByteArray::number(i) + "=some value\n";
    folder.write("Tallir.ini", many);
    const QByteArray before = folder.read("Tallir.ini");
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{100, limit.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool wrote = WriteString("Option", "PrecisionLog", "7");
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_FALSE(wrote) << "a failed write is no success";
    EXPECT_EQ(folder.read("Tallir.ini"), before) << "every byte kept";
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"Tallir.ini"}) << "no temporary file left";

    // A link to the settings file stays a link; the file it names gets the new bytes.
    QFile::rename(folder.path("Tallir.ini"), folder.path("real.ini"));
    QFile::link(folder.path("real.ini"), folder.path("Tallir.ini"));
    EXPECT_TRUE(WriteString("Option", "PrecisionLog", "7"));
    EXPECT_TRUE(QFileInfo(folder.path("Tallir.ini")).isSymLink());
    EXPECT_EQ(ReadDoubleFrom("Option", "PrecisionLog", 1, folder.path("real.ini")), 7.0);
}

TEST(modUtil, WhatIsNoSettingsFileIsNeitherReadNorReplaced)
{
    // Each is read as the defaults at once (a FIFO without a writer would hang a plain read, the
    // others exhaust memory), said, and left exactly as it is.
    struct Case {
        const char* what;
        std::function<void(const QString&)> make;
    };
    const Case cases[] = {
        {"a folder", [](const QString& path) { QDir().mkdir(path); }},
        {"a FIFO", [](const QString& path) { ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0); }},
        {"a link to a device", [](const QString& path) { QFile::link("/dev/zero", path); }},
        {"8 GB", [](const QString& path) {
             QFile file(path);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write("[Option]\nA=3\n");
             file.resize(qint64(8) << 30); // sparse: no disk taken
         }},
        {"just over 1 MB", [](const QString& path) {
             QFile file(path);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write("[Option]\nA=3\n" + QByteArray((1 << 20) - 12, ';'));
         }},
    };
    for (const Case& c : cases) {
        const TempFolder folder;
        c.make(folder.settingsPath());
        const QFileInfo before(folder.settingsPath());
        EXPECT_EQ(ReadInteger("Option", "A", 7), 7) << c.what;
        EXPECT_FALSE(WriteString("Option", "A", "2")) << c.what;
        const QFileInfo after(folder.settingsPath());
        EXPECT_EQ(std::tuple(after.isDir(), after.isSymLink(), after.size()),
                  std::tuple(before.isDir(), before.isSymLink(), before.size())) << c.what;
        EXPECT_TRUE(SettingsProblem(folder.settingsPath()).contains(folder.settingsPath())) << c.what;
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).filter(".new-"), QStringList{}) << "no temporary file left";
    }
    // A file of exactly 1 MB is still read.
    const TempFolder folder;
    folder.write("Tallir.ini", "[Option]\nA=3\n" + QByteArray((1 << 20) - 13, ';'));
    EXPECT_EQ(std::tuple(ReadInteger("Option", "A", 7), SettingsProblem(folder.settingsPath())), std::tuple(3, ""));
}

TEST(modUtil, WritersAtOnceLoseNoKeyAndLeftoversGo)
{
    const TempFolder folder;
    // What a writer killed between writing and renaming leaves; a file of the user's stays.
    folder.write("Tallir.ini.new-Ab12Cd", "[Option]\n");
    folder.write("Tallir.ini.backup", "[Option]\n");
    constexpr int Writers = 2, Keys = 40;
    std::vector<pid_t> children;
    for (int w = 0; w < Writers; ++w) {
        const pid_t child = fork();
        if (child == 0) {
            bool all = true;
            for (int k = 0; k < Keys; ++k)
                all = WriteString("Race", QStringLiteral("W%1K%2").arg(w).arg(k), "1") && all;
            _exit(all ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    int found = 0;
    for (int w = 0; w < Writers; ++w)
        for (int k = 0; k < Keys; ++k)
            found += ReadInteger("Race", QStringLiteral("W%1K%2").arg(w).arg(k), 0);
    EXPECT_EQ(std::tuple(found, QDir(folder.path()).entryList(QDir::Files)),
              std::tuple(Writers * Keys, QStringList{"Tallir.ini", "Tallir.ini.backup"}));
}

TEST(modUtil, AnInstalledCopyKeepsItsSettingsWithTheUser)
{
    const TempFolder folder;
    for (const char* bin : {"build/bin", "portable/bin", "unpacked/bin", "usr/bin", "usr/share/doc/tallir"})
        QDir(folder.path()).mkpath(bin);
    folder.write("build/CMakeCache.txt", "");
    folder.write("portable/bin/Tallir.ini", "");
    folder.write("usr/share/doc/tallir/Tallir.html", "<html></html>");
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Tallir/Tallir.ini";
    const std::pair<const char*, QString> cases[] = {
        {"build/bin", folder.path("build/bin/Tallir.ini")},       // run from its build folder
        {"portable/bin", folder.path("portable/bin/Tallir.ini")}, // marked portable by a settings file there
        {"unpacked/bin", config},                                 // writable, but neither
        {"usr/bin", config},                                      // installed
    };
    for (const auto& [bin, settings] : cases)
        EXPECT_EQ(SettingsPathFor(folder.path(bin)), settings) << bin;
    EXPECT_EQ(InstalledManual(folder.path("usr/bin")), folder.path("usr/share/doc/tallir/Tallir.html"));
    EXPECT_EQ(InstalledManual(folder.path("build/bin")), "");
}

TEST(modUtil, PathJoinAndPlatformQueries)
{
    EXPECT_EQ(QStringList({PathJoin("/", "Tallir.ini"), PathJoin("/opt/tallir", "Tallir.ini"), PathJoin("/opt/tallir/", "Tallir.hlp")}),
              QStringList({"/Tallir.ini", "/opt/tallir/Tallir.ini", "/opt/tallir/Tallir.hlp"}));

    struct Case { const char* release; const char* version; };
    const std::vector<Case> cases = {
        {"6.1.0-13-amd64", "6.01"}, {"4.0", "4.00"}, {"4.10.2", "4.10"}, {"5.1", "5.01"},
        {"3.10.0", "3.10"}, {"", "0.00"}, {"6", "6.00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowsVersion(c.release), c.version) << c.release;
}

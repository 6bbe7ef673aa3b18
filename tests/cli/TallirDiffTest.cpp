// Runs the real tallir-diff on files made here and checks its status, report and JSON.

#include "cli/DiffOptions.h"
#include "core/ColumnList.h"
#include "support/QtPrinters.h"
#include "support/TempFolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace {

struct Outcome { int status; QString out; QString err; };

// A program run to its end (status -1: it crashed or did not end within a minute).
Outcome Run(const QString& program, const QStringList& arguments, const QString& settingsDir = {}, const QString& locale = "C.UTF-8",
            const QString& folder = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", locale);
    if (!settingsDir.isEmpty())
        environment.insert("TALLIR_SETTINGS_DIR", settingsDir);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        process.kill(), process.waitForFinished();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

Outcome Diff(const QStringList& arguments, const QString& settingsDir = {}, const QString& locale = "C.UTF-8")
{
    return Run(TALLIR_DIFF, arguments, settingsDir, locale);
}

// A command line of bash, in a folder.
Outcome Shell(const QString& command, const QString& folder = {})
{
    return Run("/bin/bash", {"-c", command}, {}, "C.UTF-8", folder);
}

// The JSON report of a run: its document, which must parse.
QJsonObject Json(const QStringList& arguments)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(Diff(QStringList{"--json"} + arguments).out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << arguments.join(' ').toStdString() << ": " << error.errorString().toStdString();
    return document.object();
}

// A value of a document by its keys, "compare/figures/textDiffering".
QJsonValue At(const QJsonObject& document, const QString& keys)
{
    QJsonValue value = document;
    for (const QString& key : keys.split('/'))
        value = value[key];
    return value;
}

const QByteArray Table1 = "1 2 3 4\n1.5 abc 0 x\n1 2 3 4\n";
const QByteArray Table2 = "1.0 2 3\n1.6 ABC 0.001\n1 1.00000000001 3 4\n7\n";

// Each test's files, in a folder of its own.
class TallirDiff : public testing::Test {
protected:
    const TempFolder folder;
};

} // namespace

TEST_F(TallirDiff, StatusTellsWhetherAnythingDiffers)
{
    const QString a = folder.write("a.txt", Table1);
    const QString b = folder.write("b.txt", Table2);
    const QString same = folder.write("same.txt", "1 2\n3 4\n");
    const QString close = folder.write("close.txt", "1 2\n3 4.00000000001\n");
    const QString quoted = folder.write("quoted.csv", "\"1.5\",,\"a, b\"\r\n3,\"x\"\"y\",4\r\n");
    const QString plain = folder.write("plain.csv", "1.5,,\"a, b\"\n3,x\"y,4.0\n");
    const QString missing = folder.path("missing.txt");
    const QString fortran = folder.write("f.txt", "1.5D+02 nan inf -inf\n"), decimal = folder.write("d.txt", "151 NaN 1e308 -Infinity\n");
    // The status, and what the report (0 and 1) or the error output (2) holds.
    struct Case { QStringList arguments; int status; QString said = {}; };
    const std::vector<Case> cases = {
        {{a, b}, 1, "R1 C4\t"}, {{same, same}, 0, same + " == " + same + "\n"}, {{same, close}, 1},
        {{"-s", same, close}, 0},           // only "S" cells differ
        {{"-q", "-s", same, close}, 0},     // quiet: the precision rule still reads the agreement
        {{"-s", "-p", "12", same, close}, 1}, {{"-a", "1e-9", same, close}, 0}, {{"-X", "2", same, close}, 0},
        {{"-q", a, b}, 1}, {{a, missing}, 2, "tallir-diff: Can't open " + missing + ": No such file or directory\n"},
        {{a, folder.path()}, 2, "tallir-diff: Can't open " + folder.path() + ": it is a folder\n"},
        {{"-p", "ten", a, b}, 2, "usage: tallir-diff"}, {{"-X", "0", a, b}, 2}, {{"-X", "3-1", a, b}, 2},
        {{"--bogus", a, b}, 2}, {{a}, 2, "tallir-diff: two files are needed"},
        {{a, b, a}, 2, "tallir-diff: too many files"},
        {{"-", "-"}, 2},                    // standard input once only
        {{"--full", a, b}, 1},              // the whole-table comparison, same verdict
        {{quoted, plain}, 1},               // read as ever, the quotes are text
        {{"--csv", quoted, plain}, 0},      // a quote inside an unquoted field is text: the same x"y
        {{"--help"}, 0, "usage: tallir-diff [OPTIONS] FILE1 FILE2\n"},
        {{"--version"}, 0, "tallir-diff (Tallir) 1.0.109\nTallir Ver.1.0 Rev.109\n"},
        // Verdicts under --nan and --fortran are checked against the reference script; the
        // report's figures read the numbers the same way.
        {{"--nan", "--fortran", fortran, decimal}, 1, "R1 C1\t1.5D+02\t151\t2.18\nR1 C3\tinf\t1e308\tD\n"},
        {{"--nan", "--fortran", fortran, decimal}, 1, "largest absolute difference 1 at R1 C1"},
    };
    for (const auto& c : cases) {
        const Outcome run = Diff(c.arguments);
        const std::string what = c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.status, c.status) << what;
        EXPECT_TRUE((c.status == 2 ? run.err : run.out).contains(c.said)) << what << ": " << (run.out + run.err).toStdString();
        EXPECT_TRUE(c.status < 2 || run.out.isEmpty()) << what << ": nothing reported";
    }
    EXPECT_TRUE(Diff({"-q", a, b}).out.isEmpty());
    // A page that cannot be written is trouble, though the text report stands.
    const Outcome nowhere = Diff({"--html", folder.path("no/such/folder/r.html"), a, b});
    EXPECT_EQ(std::pair(nowhere.status, nowhere.err.contains("could not be written")), std::pair(2, true)) << nowhere.err.toStdString();
}

TEST_F(TallirDiff, AFailureToWriteOrReadIsTroubleNeverSuccess)
{
    const QString a = folder.write("a.txt", Table1);
    const QString b = folder.write("b.txt", Table2);
    for (const char* report : {"", "--json"}) {
        const Outcome full = Shell(QStringLiteral("exec '" TALLIR_DIFF "' %1 '%2' '%3' > /dev/full").arg(report, a, b));
        EXPECT_EQ(full.status, 2) << report;
        EXPECT_TRUE(full.err.contains("the report could not be written")) << full.err.toStdString();
    }

    // A report path that names an input (by another name too) is refused, the input untouched;
    // any other file is written over.
    const QString other = folder.write("other.html", "old");
    EXPECT_EQ(Diff({a, b, "--html", other}).status, 1);
    EXPECT_TRUE(folder.read("other.html").startsWith("<!DOCTYPE html>"));
    QFile::link(b, folder.path("link.txt"));
    for (const QString& report : {b, folder.path("link.txt")}) {
        const Outcome over = Diff({a, b, "--html", report});
        EXPECT_EQ(std::tuple(over.status, over.err.contains("the report would overwrite an input"), folder.read("b.txt")),
                  std::tuple(2, true, Table2))
            << over.err.toStdString();
    }

    // A line longer than the limit stops the reading, streamed or whole, with where it is.
    const QString longLine = folder.write("long.txt", "1 2\n" + QByteArray(3000, '5') + "\n");
    for (const char* reading : {"--quiet", "--full"}) {
        const Outcome overlong = Diff({reading, "--max-line", "2k", a, longLine});
        EXPECT_EQ(overlong.status, 2) << reading;
        EXPECT_EQ(overlong.err, "tallir-diff: Can't read " + longLine + ": line 2 is longer than 2 KB.\n") << reading;
    }
    EXPECT_EQ(Diff({"--max-line", "3000", longLine, longLine}).status, 0);
    for (const char* option : {"--max-line", "--sort-memory"})
        for (const char* size : {"0", "x", "1T", "-1", "1.5M", "M", "17179869184G"})
            EXPECT_EQ(Diff({option, size, a, b}).status, 2) << option << " " << size;
    struct Size { const char* text; std::uint64_t bytes; };
    for (const Size& size : {Size{"512", 512}, {"1k", 1024}, {"64M", 64ull << 20}, {"2GB", 2ull << 30}, {"3 kb", 3072},
                            {"17179869183G", 17179869183ull << 30}})
        EXPECT_EQ(ParseSize(size.text), std::optional<std::uint64_t>(size.bytes)) << size.text;

    // Cells waiting for the compared width (File 2 widens at its end) in a temporary file that
    // cannot grow: said, status 2, and no closing message.
    QByteArray narrow, wide;
    for (int r = 0; r < 300000; ++r)
        wide += QByteArray::number(r) + " 2 3\n", narrow += QByteArray::number(r) + "\n";
    // The same for the keys sorted (the first key comes again at the end).
    const QString held1 = folder.write("held1.txt", wide + "0 2 3\n"), held2 = folder.write("held2.txt", narrow + "0 2 3\n");
    for (const char* options : {"", "--key 1 --sort-memory 64K"}) {
        const Outcome full = Shell(QStringLiteral("trap '' XFSZ; ulimit -f 2000; exec '" TALLIR_DIFF "' %3 '%1' '%2'").arg(held1, held2, options));
        EXPECT_EQ(full.status, 2) << options;
        EXPECT_TRUE(full.err.contains("could not be written to a temporary file in ")) << options;
        EXPECT_FALSE(full.out.contains(" != ")) << options;
        EXPECT_EQ(Diff(QStringList{"-q", held1, held2} + QString(options).split(' ', Qt::SkipEmptyParts)).status, 1)
            << options << " without the limit";
    }

    // A file larger than the memory there is (sparse: it takes no disk), for the whole-table
    // comparison of CSV, whose table holds the file's bytes; a plain table is read in place.
    const QString huge = folder.write("huge.txt", "");
    QFile(huge).resize(qint64(64) << 30);
    const Outcome tooLarge = Diff({"--full", "--csv", a, huge});
    EXPECT_EQ(std::pair(tooLarge.status, tooLarge.err),
              std::pair(2, "tallir-diff: Can't open " + huge + "\nThe file is larger than the memory available.\n"));
    EXPECT_EQ(Diff({"--full", a, huge}).err, "tallir-diff: Can't read " + huge + ": line 1 is longer than 64 MB.\n");

    // Memory running out anywhere on the way (address space limited from too little to enough):
    // a clear message and status 2, or the answer; never a partial one. (Not with address checks
    // built in: they reserve terabytes of address space, and a limit on it stops them first.)
#ifndef __SANITIZE_ADDRESS__
    QByteArray many1, many2;
    for (int r = 0; r < 200000; ++r) {
        many1 += QByteArray::number(r) + " 1.2345 2.3456 3.4567 4.5678\n";
        many2 += QByteArray::number(r) + " 1.2345 2.3456 3.4567 " + QByteArray::number(r % 7) + "\n";
    }
    const QString m1 = folder.write("m1.txt", many1), m2 = folder.write("m2.txt", many2);
    ASSERT_EQ(QProcess::execute("gzip", {"-k", m1, m2}), 0);
    for (const QString& arguments : {QStringLiteral("--align -q '%1' '%2'").arg(m1, m2), QStringLiteral("-q '%1.gz' '%2.gz'").arg(m1, m2)}) {
        int answered = 0;
        for (int megabytes = 60; megabytes <= 4000 && answered < 3; megabytes += megabytes / 8) {
            const Outcome limited = Shell(QStringLiteral("ulimit -v %1; exec '" TALLIR_DIFF "' %2").arg(megabytes * 1024).arg(arguments));
            if (limited.status == 127)
                continue; // too little even to load the program
            answered += limited.status == 1;
            EXPECT_TRUE(limited.status == 1 || (limited.status == 2 && limited.err.contains("memory") && !limited.err.contains("std::")))
                << arguments.toStdString() << " in " << megabytes << " MB: " << limited.status << " " << limited.err.toStdString();
        }
        EXPECT_EQ(answered, 3) << arguments.toStdString() << ": enough memory gives the answer";
    }
#endif
}

TEST_F(TallirDiff, TextReportListsCellsMessageAndFigures)
{
    const QString a = folder.write("a.txt", Table1);
    const QString b = folder.write("b.txt", Table2);
    const QStringList lines = Diff({a, b}).out.split('\n');
    const QStringList expected = {
        "R1 C4\t4\t\tD",
        "R2 C1\t1.5\t1.6\t1.18",
        "R2 C2\tabc\tABC\tD",
        "R2 C3\t0\t0.001\t3.00",
        "R2 C4\tx\t\tD",
        "R3 C2\t2\t1.00000000001\t0.30",
        a + " != " + b,
        "at 6 cells",
        "in smaller rows and cols.",
        "rows out of step: File 1 has 3 rows, File 2 has 4",
        "values out of step from row 1: File 1 has 4 values there, File 2 has 3",
        "R3 x C4: 6 differing (D 3, S 0, digits 3); lowest agreement 0.30 at R3 C2; largest absolute difference 1 "
        "at R3 C2; largest relative difference 0.5 at R3 C2; beyond the tolerance 6",
        "",
    };
    EXPECT_EQ(lines, expected);
    // The same words and numbers in every locale, in the text report and in JSON (locales the
    // test command generates: without them this would compare C with C).
    for (const char* locale : {"de_DE.UTF-8", "fr_FR.UTF-8"})
        ASSERT_TRUE(QProcess::execute("sh", {"-c", QStringLiteral("locale -a | grep -qix %1").arg(QString(locale).replace("UTF-8", "utf8"))}) == 0)
            << locale << " is not installed";
    for (const char* locale : {"de_DE.UTF-8", "fr_FR.UTF-8"})
        for (const QStringList& arguments : {QStringList{a, b}, QStringList{"--json", a, b}})
            EXPECT_EQ(Diff(arguments, {}, locale).out, Diff(arguments).out) << locale;

    const QString same = folder.write("same.txt", "1 2\n");
    EXPECT_EQ(Diff({same, same}).out,
              same + " == " + same + "\nin smaller rows and cols.\nR1 x C2: 0 differing (D 0, S 0, digits 0); beyond the tolerance 0\n");

    // Whatever a cell or a file name holds, a cell is one line of four fields.
    const QString tabbed = folder.write("tab.csv", "\"a\tb\nc\",1\n");
    const QString odd = folder.write("odd\x01.csv", "x\\y,1\n");
    for (const char* reading : {"--full", "--csv"}) {
        const Outcome escaped = Diff({reading, "--csv", tabbed, odd});
        EXPECT_TRUE(escaped.out.startsWith("R1 C1\ta\\tb\\nc\tx\\\\y\tD\n" + tabbed + " != " + folder.path("odd\\x01.csv") + "\n"))
            << reading << escaped.out.toStdString();
    }
}

TEST_F(TallirDiff, JsonAgreesWithTheEngine)
{
    const QString a = folder.write("a.txt", Table1);
    const QString b = folder.write("b.txt", Table2 + QByteArray("\xff\"q\" \x01 \xc3\xa9t\xc3\xa9\n"));
    EXPECT_EQ(Diff({"--json", "--full", a, b}).status, 1);
    const QJsonObject doc = Json({"--full", a, b});
    const std::pair<const char*, QJsonValue> fields[] = {
        {"file1/path", a}, {"file1/dimension", "R3 x C4"}, {"file1/size", QString::number(Table1.size()) + ".00Bytes"},
        {"file2/dimension", "R5 x C4"}, {"compare/dimension", "R3 x C4"}, {"compare/size", "Different"}, {"compare/date", "Same"},
        {"compare/message", a + " != " + b + "\r\nat 6 cells\r\nin smaller rows and cols."}, {"compare/differing", 6},
        {"compare/figures/lowestAgreement/row", 3}, {"compare/figures/lowestAgreement/col", 2}, {"compare/figures/textDiffering", 3}};
    for (const auto& [keys, value] : fields)
        EXPECT_EQ(At(doc, keys), value) << keys;
    EXPECT_FALSE(At(doc, "file2/date").toString().isEmpty());

    // Every differing cell in reading order, worked out by hand as in the text report.
    QStringList cells;
    for (const QJsonValue cell : doc["cells"].toArray())
        cells << QStringLiteral("%1 %2 %3 %4").arg(cell["row"].toInt()).arg(cell["col"].toInt()).arg(cell["verdict"].toString(), cell["text1"].toString());
    EXPECT_EQ(cells, (QStringList{"1 4 D 4", "2 1 1.18 1.5", "2 2 D abc", "2 3 3.00 0", "2 4 D x", "3 2 0.30 2"}));

    // The whole grids, header row and column included; invalid bytes as U+FFFD, valid UTF-8 as it is.
    EXPECT_EQ(std::tuple(doc["grid2"].toArray().size(), doc["grid2"][0]), std::tuple(6, QJsonArray{"", "1", "2", "3", "4"}));
    EXPECT_EQ(doc["grid2"][5], (QJsonArray{"5", QString::fromUtf8("\xef\xbf\xbd\"q\""), "\x01", QString::fromUtf8("\xc3\xa9t\xc3\xa9"), ""}));
    EXPECT_EQ(doc["grid"],
              (QJsonArray{QJsonArray{"", "1", "2", "3", "4"}, QJsonArray{"1", "", "", "", "D"}, QJsonArray{"2", "1.18", "D", "3.00", "D"},
                                       QJsonArray{"3", "", "0.30", "", ""}}));
}

TEST_F(TallirDiff, TheSettingsFileIsReadOnlyWhenAsked)
{
    const QString same = folder.write("same.txt", "1 2\n3 4\n");
    const QString close = folder.write("close.txt", "1 2\n3 4.00000000001\n");
    const QString quoted = folder.write("quoted.csv", "\"1.5\",\"a, b\"\n");
    const QString plain = folder.write("plain.csv", "1.50,\"a, b\"\n");
    const QString named1 = folder.write("n1.txt", "time x\n0 1\n"), named2 = folder.write("n2.txt", "x time\n1.0 0\n");
    const QString fortran = folder.write("f.txt", "1.5D+02 nan\n"), decimal = folder.write("d.txt", "150 NaN\n");
    const QString zero = folder.write("zero.txt", "0\n"), tiny = folder.write("tiny.txt", "1e-20\n");
    struct Case { const char* settings; QStringList arguments; int status; };
    const Case cases[] = {
        {"PrecisionSame=1\nPrecisionLog=10", {"--settings", same, close}, 0},
        {"PrecisionSame=1\nPrecisionLog=10", {"--settings", "-p", "13", same, close}, 1}, // the command line wins
        {"PrecisionSame=1\nPrecisionLog=10", {same, close}, 1},                           // not read without --settings
        {"AbsoluteTolerance=1e-9", {"--settings", same, close}, 0},
        {"AbsoluteTolerance=", {"--settings", same, close}, 1},                           // empty is off
        {"CsvMode=1", {"--settings", quoted, plain}, 0}, {"NamesLine=1", {"--settings", named1, named2}, 0},
        {"NamesLine=0", {"--settings", named1, named2}, 1},
        {"NamesLine=1", {"--settings", "--key", "time", named1, named2}, 0},              // a key by name
        {"NanInf=1\nExponentD=1", {"--settings", fortran, decimal}, 0},
        {"ExponentD=1", {"--settings", fortran, decimal}, 1},
        {"RelativeTolerance=3e-12", {"--settings", same, close}, 0},                      // 1e-11 of 4
        {"RelativeTolerance=1\nRelativeTo=max", {"--settings", zero, tiny}, 0},
        {"RelativeTolerance=1", {"--settings", zero, tiny}, 1},                           // of the 0 in File 1
        {"ColumnTolerances=2: a=1e-10", {"--settings", same, close}, 0},
        {"ColumnTolerances=2: a=1e-12", {"--settings", "-a", "2=1e-10", same, close}, 0}, // the command line wins
        {"ColumnTolerances=p: a=1", {"--settings", same, close}, 2},                      // no names to find p by
    };
    for (const Case& c : cases) {
        folder.write("Tallir.ini", QByteArray("[Option]\n") + c.settings + "\n");
        EXPECT_EQ(Diff(c.arguments, folder.path()).status, c.status) << c.settings << " " << c.arguments.join(' ').toStdString();
    }
}

TEST_F(TallirDiff, WithAToleranceOnlyWhatLiesBeyondIsListed)
{
    const QString a = folder.write("a.txt", "1 2 0\n3 4 0\n");
    const QString b = folder.write("b.txt", "1 2.0000000000001 0\n3 9 1e-20\n"); // one tiny, one gross, one against 0
    // The cell lines of a report: those that start with "R".
    auto cells = [](const QString& out) {
        QStringList lines;
        for (const QString& line : out.split('\n'))
            if (line.startsWith('R') && line.contains('\t'))
                lines << line.section('\t', 0, 0);
        return lines;
    };
    struct Case { QStringList options; QStringList listed; int status; int beyond; };
    const std::vector<Case> cases = {
        {{}, {"R1 C2", "R2 C2", "R2 C3"}, 1, 3},
        {{"-a", "1e-9"}, {"R2 C2"}, 1, 1},            // 1e-20 against 0 is within 1e-9 too
        {{"-a", "1e-9", "--all"}, {"R1 C2", "R2 C2", "R2 C3"}, 1, 1},
        {{"-s", "-p", "6"}, {"R2 C2"}, 1, 1},          // 1e-20 against 0 agrees in 20 digits
        // A column's own tolerance (verdicts under every option: the reference script).
        {{"-r", "1e-9", "-r", "2=2", "--rel-to", "max"}, {"R2 C3"}, 1, 1},
        {{"-a", "3=1e-9", "-r", "2=1.25", "--full"}, {}, 0, 0}, // |9 - 4| = 1.25 x 4
    };
    for (const Case& c : cases) {
        const Outcome run = Diff(c.options + QStringList{a, b});
        const std::string what = c.options.join(' ').toStdString();
        EXPECT_EQ(run.status, c.status) << what;
        EXPECT_EQ(cells(run.out), c.listed) << what;
        EXPECT_TRUE(run.out.contains("beyond the tolerance " + QString::number(c.beyond))) << what << run.out.toStdString();
        EXPECT_TRUE(run.out.contains("at 3 cells")) << what << ": the closing message counts every differing cell";
        // "!=" never stands alone under a tolerance: the line after it says how many are beyond.
        const QString within = QStringLiteral("within the tolerance: %1 regarded as the same, %2 beyond; S ").arg(3 - c.beyond).arg(c.beyond);
        EXPECT_EQ(run.out.contains("in smaller rows and cols.\n" + within), !c.options.isEmpty()) << what;
    }
    // Columns by name; nothing beyond (status 0, no cell listed); and what is no tolerance: usage
    // errors naming the argument.
    const QString named1 = folder.write("n1.txt", "t p\n1 2\n"), named2 = folder.write("n2.txt", "t p\n1 2.5\n");
    const QString tiny = folder.write("tiny.txt", "1 2.0000000000001 0\n3 4 0\n");
    const struct { QStringList arguments; int status; QString said; } more[] = {
        {{"--names", "-a", "p=0.5", named1, named2}, 0, "R1 x C2"},
        {{"--names", "-a", "p=0.4", named1, named2}, 1, "R2 C2 p\t"}, {{"-r", "1e-9", a, tiny}, 0, "largest"},
        {{"-a", "-1", a, b}, 2, "-a -1"}, {{"-a", "inf", a, b}, 2, "-a inf"}, {{"-r", "nan", a, b}, 2, "-r nan"},
        {{"-r", "", a, b}, 2, "-r "}, {{"-r", "=1", a, b}, 2, "-r =1"}, {{"-a", "2=x", a, b}, 2, "-a 2=x"},
        {{"-a", "0=1", a, b}, 2, ": 0"},
        {{"-a", "p=1", a, b}, 2, ": p"},                       // a name without --names
        {{"--rel-to", "3", a, b}, 2, "not 3"},
        {{"-a", "4=1", a, b}, 2, "column 4 of a tolerance"},   // beyond both tables
        {{"--full", "-a", "4=1", a, b}, 2, "column 4 of a tolerance"},
        {{"--key", "1", "-a", "4=1", a, b}, 2, "column 4 of a tolerance"},
        {{"--names", "-a", "q=1", named1, named2}, 2, ": q"},
    };
    for (const auto& c : more) {
        const Outcome run = Diff(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE((c.status == 2 ? run.err : run.out).contains(c.said)) << (run.out + run.err).toStdString();
        EXPECT_TRUE(c.status != 0 || cells(run.out).isEmpty()) << c.arguments.join(' ').toStdString();
    }

    // JSON: the figures, and the cell beyond (4 against 9: 5 apart, 5 / 4 relative); the rest with --all.
    const QJsonObject json = Json({"-a", "1e-9", a, b});
    EXPECT_EQ(std::tuple(At(json, "compare/figures/beyondTolerance"), At(json, "compare/figures/largestAbsoluteBeyond/value")), std::tuple(1, 5));
    EXPECT_EQ(json["cells"], (QJsonArray{QJsonObject{{"row", 2}, {"row1", 2}, {"row2", 2}, {"col", 2}, {"text1", "4"}, {"text2", "9"},
                                                     {"verdict", "-0.10"}, {"absolute", 5}, {"relative", 1.25}}}));
    EXPECT_EQ(Json({"--all", "-a", "1e-9", a, b})["cells"].toArray().size(), 3);
    EXPECT_TRUE(Diff({"-a", "1e-9", a, b}).out.contains("; largest absolute difference beyond it 5 at R2 C2"));
}

TEST_F(TallirDiff, ACiJobAcceptsAFewCellsBeyond)
{
    const QString a = folder.write("a.txt", "1 2 3\n"), b = folder.write("b.txt", "1.5 2.5 3\n"), longer = folder.write("c.txt", "1 2 3\n4\n");
    // One cell beyond in each of 20,000 rows: more than -q would read to know that some are.
    const QString many1 = folder.write("m1.txt", QByteArray("1 2\n").repeated(20000)), many2 = folder.write("m2.txt", QByteArray("1 2.5\n").repeated(20000));
    // The report's last line, when one is given.
    struct Case { QStringList arguments; int status; QString lastLine; };
    const Case cases[] = {
        {{"--max-beyond", "2", a, b}, 0, "beyond the tolerance: 2 cells, at most 2 accepted: within"},
        {{"--max-beyond", "1", a, b}, 1, "beyond the tolerance: 2 cells, at most 1 accepted: too many"},
        {{"-q", "--max-beyond", "20000", many1, many2}, 0, ""}, // -q goes on past the first
        {{"-q", "--max-beyond", "19999", many1, many2}, 1, ""},
        {{"--full", "--max-beyond", "2", a, b}, 0, "beyond the tolerance: 2 cells, at most 2 accepted: within"},
        {{"--max-beyond", "5", a, longer}, 1, ""}, // another shape is never accepted
        {{"--max-beyond", "x", a, b}, 2, ""}, {{"--max-beyond", "-1", a, b}, 2, ""},
    };
    for (const Case& c : cases) {
        const Outcome run = Diff(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments.join(' ').toStdString() << run.err.toStdString();
        if (!c.lastLine.isEmpty())
            EXPECT_EQ(run.out.trimmed().section('\n', -1), c.lastLine) << c.arguments.join(' ').toStdString();
    }
    // JSON says the same: how many are accepted and whether the count stayed within.
    for (const auto& [most, accepted] : {std::pair{"2", true}, {"1", false}}) {
        const QJsonObject json = Json({"--max-beyond", most, a, b});
        EXPECT_EQ(std::pair(At(json, "compare/tolerance/maxBeyond"), At(json, "compare/tolerance/beyondAccepted")),
                  std::pair(QJsonValue(QString(most).toInt()), QJsonValue(accepted))) << most;
    }
}

TEST_F(TallirDiff, InputsFromAnywhere)
{
    // Standard input, a pipe, gzip and zstd files: read as the plain file would be.
    const QString a = folder.write("a.txt", "1 2\n3 4\n");
    folder.write("b.txt", "1 2\n3 5\n");
    auto shell = [&](const QString& command) { return Shell(command, folder.path()); };
    const QString diff = "'" TALLIR_DIFF "' ";
    ASSERT_EQ(shell("gzip -k b.txt && zstd -q b.txt -o b.txt.zst").status, 0);
    struct Case { QString command; int status; };
    const Case cases[] = {
        {diff + "a.txt b.txt", 1}, {diff + "a.txt - < b.txt", 1}, {"cat b.txt | " + diff + "a.txt -", 1},
        {diff + "a.txt <(cat b.txt)", 1}, {diff + "a.txt b.txt.gz", 1}, {diff + "a.txt b.txt.zst", 1},
        {diff + "--full a.txt b.txt.gz", 1}, // the whole tables: decompressed into memory, not read in place
        {diff + "--full a.txt b.txt.zst", 1}, {diff + "a.txt <(cat a.txt)", 0},
        {diff + "/proc/version /proc/version", 0}, // a file that tells no size: read as it comes
        {"printf '1 2\\n3 5' | " + diff + "a.txt -", 1}, {"printf '1 2\\n3 5' | " + diff + "--full a.txt -", 1}, // no last line end
    };
    for (const Case& c : cases) {
        const Outcome run = shell(c.command);
        EXPECT_EQ(run.status, c.status) << c.command.toStdString() << run.err.toStdString();
        if (c.status == 1) {
            EXPECT_TRUE(run.out.startsWith("R2 C2\t4\t5\t")) << c.command.toStdString() << run.out.toStdString();
        }
    }
    // A gzip file cut short, a zstd frame damaged, a gzip file whose check sum is wrong (its last
    // line, without its end, differs): a clear message, status 2, nothing reported.
    ASSERT_EQ(shell("head -c 20 b.txt.gz > cut.gz && cp b.txt.zst bad.zst && printf '\\377' | dd of=bad.zst bs=1 seek=5 conv=notrunc"
                    " && printf '1 2\\n3 5' | gzip > sum.gz && printf '\\0\\0\\0\\0' | dd of=sum.gz bs=1 seek=$(($(stat -c %s sum.gz) - 8)) conv=notrunc")
                  .status,
              0);
    for (const char* damaged : {"cut.gz", "bad.zst", "sum.gz"}) {
        const Outcome cut = shell(diff + "a.txt " + damaged);
        EXPECT_EQ(cut.status, 2) << damaged;
        EXPECT_TRUE(cut.err.startsWith(QStringLiteral("tallir-diff: Can't read %1: the compressed data is cut short or damaged.").arg(damaged)))
            << cut.err.toStdString();
        EXPECT_TRUE(cut.out.isEmpty());
    }
    // -q knows the answer at the first row, yet the damage further on still counts; 7 MB of
    // text go through the read-ahead of several blocks.
    ASSERT_EQ(shell("seq 1000000 > long.txt && (echo 0; seq 2 1000000) | gzip > long.gz && head -c 50000 long.gz > longcut.gz").status, 0);
    EXPECT_EQ(std::tuple(shell(diff + "-q long.txt long.gz").status, shell(diff + "-q long.txt longcut.gz").status), std::tuple(1, 2));
    // /dev/null is an empty table, as for diff.
    EXPECT_EQ(std::tuple(shell(diff + "/dev/null /dev/null").status, shell(diff + "a.txt /dev/null").status), std::tuple(0, 1));
}

TEST_F(TallirDiff, ColumnsMatchedByName)
{
    const QString a = folder.write("a.txt", "time x vx\n0 1 2\n1 3 4\n");
    const QString shuffled = folder.write("b.txt", "vx time x vz\n2 0 1 7 8\n5 1 3 7 8\n"); // and a column without a name
    const Outcome text = Diff({"--names", a, shuffled});
    EXPECT_EQ(text.status, 1);
    const QStringList lines = text.out.split('\n');
    EXPECT_EQ(lines.value(0), "R3 C3 vx\t4\t5\t0.60") << text.out.toStdString() << ": line 3 of the file, named";
    EXPECT_TRUE(text.out.contains("\ncolumn vz only in File 2\ncolumn C5 only in File 2\n")) << text.out.toStdString(); // C5: no name
    EXPECT_TRUE(text.out.contains("at 1 cells")) << "the shuffled columns agree but one cell";

    // Line 3 of both files, as the text report says; vx is File 1's third column, File 2's first.
    const QJsonObject json = Json({"--names", a, shuffled});
    EXPECT_EQ(json["cells"], (QJsonArray{QJsonObject{{"row", 3}, {"row1", 3}, {"row2", 3}, {"col", 3}, {"col2", 1}, {"name", "vx"}, {"text1", "4"},
                                                     {"text2", "5"}, {"verdict", "0.60"}, {"absolute", 1}, {"relative", 0.25}}}));
    EXPECT_EQ(json["columns"],
              (QJsonArray{QJsonObject{{"name", "time"}, {"col1", 1}, {"col2", 2}}, QJsonObject{{"name", "x"}, {"col1", 2}, {"col2", 3}},
                                           QJsonObject{{"name", "vx"}, {"col1", 3}, {"col2", 1}}}));
    EXPECT_EQ(json["columnsOnlyIn2"], (QJsonArray{"vz", "C5"}));

    // Identical names lines, same values: nothing differs, status 0; without --names the names
    // line is a row like any other.
    const QString same = folder.write("same.txt", "time x vx\n0 1.0 2\n1 3 4\n");
    EXPECT_EQ(std::tuple(Diff({"--names", a, same}).status, Diff({a, shuffled}).status), std::tuple(0, 1));
    const QString removed = folder.write("removed.txt", "time vx\n0 2\n1 4\n");
    const Outcome gone = Diff({"--names", a, removed});
    EXPECT_EQ(gone.status, 1) << "a column in one file only is a difference";
    EXPECT_TRUE(gone.out.contains("column x only in File 1")) << gone.out.toStdString();
    // File 1's first column without a partner: the document is still JSON.
    EXPECT_EQ(Json({"--names", a, folder.write("notime.txt", "x vx\n1 2\n3 4\n")})["columns"].toArray().size(), 2);
}

TEST_F(TallirDiff, StreamedReportsAreThoseOfTheWholeTables)
{
    // The text and JSON reports are written while the files are read; --full reads the tables
    // whole first (and adds the grids to JSON). Both give the same bytes and the same status,
    // whatever the shapes: ragged rows, CRLF, another length or width, an empty file.
    const QString a = folder.write("a.txt", "1 2\n3 4\n");
    const QString ragged = folder.write("r.txt", "1 2 3 4\r\n1.5 abc 0 x\r\n1 2 3 4\r\n");
    const QString ragged2 = folder.write("r2.txt", "1.0 2 3\n1.6 ABC 0.001\n1 1.00000000001 3 4\n7\n");
    const struct {
        const char* file2;
        int status;
    } shapes[] = {{"1 2\n3 4\n", 0}, {"1 2\n", 1}, {"", 1}, {"1 2\n3 4\n5 6\n", 1}, {"1 2 7\n3 4 8\n", 1}, {"1.0 2\n3 4.000001\n", 1}};
    std::vector<QStringList> runs;
    for (const auto& c : shapes) {
        const QString b = folder.write(QStringLiteral("b%1.txt").arg(runs.size()), c.file2);
        EXPECT_EQ(Diff({"-q", a, b}).status, c.status) << c.file2;
        runs.push_back({a, b});
    }
    runs.insert(runs.end(), {{ragged, ragged2}, {"-a", "1e-9", ragged, ragged2}, {"--all", "-r", "1e-9", "--max-beyond", "2", ragged, ragged2},
                             {"-s", "-p", "3", ragged2, ragged}});
    // Columns by name: reordered, one in each file only, repeated names, rows wider than their
    // names line (those columns pair by position), a name beyond the other file's width.
    const QString named = folder.write("n1.txt", "time x vx x\n0 1 2 3\n1 3 4 5 6 7\n2 5 6 7\n");
    const QString shuffled = folder.write("n2.txt", "vx time x vz\n2 0 1 7 9\n5 1 3.5 7\n7 2 5 7 1 1\n");
    runs.insert(runs.end(), {{"--names", named, shuffled}, {"--names", "--all", "-a", "vx=1", shuffled, named},
                             {"--names", named, folder.write("n3.txt", "time\n0\n1\n")}});
    // Rows paired by key: in order in both (read twice), a step inserted and one left out, keys a
    // hair apart; out of order (read whole).
    const QByteArray rows1 = "0 1.0 5\n1 2.0 6\n2 3.0 7 8\n3 4.0 9 9\n4 1 2\n", rows2 = "0 5 1.0\n1.0000000001 6 2.5\n1.5 7 9\n3 4.0\n4 1 1\n5 0\n";
    const QString steps1 = folder.write("k1.txt", rows1), steps2 = folder.write("k2.txt", rows2);
    runs.push_back({"--key", "1", "-a", "1", steps1, steps2}); // 2 against 1 at key 4 is "S"
    runs.push_back({"--key", "1", "--key-tol", "1e-9", "--all", "-a", "0.1", steps2, steps1});
    runs.push_back({"--names", "--key", "t", "--key-tol", "1e-9", folder.write("kn1.txt", "t v w\n" + rows1),
                    folder.write("kn2.txt", "t w v\n" + rows2)});
    runs.push_back({"--key", "1", steps1, folder.write("k3.txt", "3 4.0\n0 1.0\n1 2.0\n")});
    runs.push_back({"--key", "1", steps1, folder.write("k4.txt", "9 1\n3 4.0\n0 1.0\n")}); // File 2's first row in it only
    // Out of order, sorted on disk a few rows at a time: texts and numbers, keys repeated (the
    // third 3 of File 2 in one file only) and in one file only, columns by name.
    runs.push_back({"--names", "--key", "t", "--sort-memory", "100", folder.write("ks1.txt", "t v w\nb 1 2\n3 1 5\na 2 2\n3 1 6\n1.0 9 9\n"),
                    folder.write("ks2.txt", "t w v\n1 9 9\n3 5 1\nc 0 0\na 2 2.5\n3 7 1\n3 8 8\n")});
    // Keys repeated, no names line: the warnings name the rows by their lines.
    const QString keysRepeated = folder.write("kr1.txt", "2 1\n1 1\n2 1\n3 1\n2 1\n");
    runs.push_back({"--key", "1", keysRepeated, folder.write("kr2.txt", "3 1\n2 1\n2 1\n")});
    for (const QStringList& arguments : runs) {
        const std::string what = arguments.join(' ').toStdString();
        const Outcome text = Diff(arguments), wholeText = Diff(QStringList{"--full"} + arguments);
        EXPECT_EQ(std::pair(text.out, text.status), std::pair(wholeText.out, wholeText.status)) << what;
        const Outcome json = Diff(QStringList{"--json"} + arguments), whole = Diff(QStringList{"--json", "--full"} + arguments);
        EXPECT_EQ(json.out, whole.out.left(whole.out.indexOf(",\n  \"grid1\": ")) + "\n}\n") << what;
        EXPECT_EQ(json.status, text.status) << what;
        EXPECT_EQ(QJsonDocument::fromJson(json.out.toUtf8())["compare"]["differing"].toInt(), text.out.section(" differing", 0, 0).section(' ', -1).toInt())
            << what;
        if (arguments.contains(keysRepeated))
            EXPECT_TRUE(text.out.contains("\nrepeated keys in File 1: 2 rows, lines 3, 5\nrepeated keys in File 2: 1 row, line 3\n")) << text.out.toStdString();
        Diff(QStringList{"-q", "--html", folder.path("streamed.html")} + arguments);
        Diff(QStringList{"-q", "--full", "--html", folder.path("whole.html")} + arguments);
        EXPECT_EQ(folder.read("streamed.html"), folder.read("whole.html")) << what;
    }
    // The page lists the worst 10,000 of more, ties in reading order, and counts the rest.
    QByteArray many1, many2;
    for (int r = 0; r < 4000; ++r) {
        many1 += "1 2 3 4\n";
        many2 += QByteArray(r % 3 ? "1.001 x 3.01 4\n" : "1.001 2 3.01 4.1\n");
    }
    const QStringList pair{folder.write("m1.txt", many1), folder.write("m2.txt", many2)};
    // 12,000 differing cells; with -a 0.005 the 4,000 of 1.001 are "S", column 2 left out.
    for (const auto& [options, more] : {std::pair{QStringList{}, "and 2000 more"}, {QStringList{"-a", "0.005", "-X", "2"}, "<td class=\"number\">4000</td>"}}) {
        Diff(QStringList{"--html", folder.path("streamed.html")} + options + pair);
        Diff(QStringList{"--full", "--html", folder.path("whole.html")} + options + pair);
        EXPECT_EQ(folder.read("streamed.html"), folder.read("whole.html")) << options.join(' ').toStdString();
        EXPECT_TRUE(folder.read("streamed.html").contains(more)) << more;
    }
}

TEST_F(TallirDiff, ColumnLists)
{
    using Ranges = std::vector<tallir::CompareOptions::ColumnRange>;
    EXPECT_EQ(std::tuple(ParseColumnList("2-4,7"), ParseColumnList("1")), std::tuple(Ranges{{1, 3}, {6, 6}}, Ranges{{0, 0}}));
    // Ranges stay ranges: many copies of the widest one cost nothing.
    EXPECT_EQ(ParseColumnList(QStringList(200, "1-100000000").join(',')).value().size(), 200u);
    for (const char* bad : {"", "0", "a", "2-", "-3", "4-2", "1-2-3", "1,,2"})
        EXPECT_FALSE(ParseColumnList(bad)) << bad;
    // Looked up as a set: overlapping, touching, unordered and single ranges alike.
    const Ranges ranges{{5, 9}, {1, 1}, {3, 6}, {20, 100'000'000}, {12, 12}, {11, 11}, {10, 10}};
    const tallir::ColumnSet set(ranges);
    for (std::uint64_t c : {0ull, 1ull, 2ull, 3ull, 7ull, 9ull, 10ull, 12ull, 13ull, 19ull, 20ull, 100'000'000ull, 100'000'001ull}) {
        const bool listed = std::any_of(ranges.begin(), ranges.end(), [&](const auto& r) { return c >= r.first && c <= r.last; });
        EXPECT_EQ(set.contains(c), listed) << c;
    }
}

TEST_F(TallirDiff, TheManPageAndTheCompletionKnowEveryOptionOfTheHelp)
{
    QFile manPage(TALLIR_SOURCE_DIR "/data/tallir-diff.1");
    QFile completion(TALLIR_SOURCE_DIR "/data/tallir-diff.bash-completion");
    ASSERT_TRUE(manPage.open(QIODevice::ReadOnly) && completion.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(manPage.readAll()).replace("\\-", "-");
    const QString words = QString::fromUtf8(completion.readAll());
    const QRegularExpression option(R"((?<![\w-])(--?[a-zA-Z][a-z-]*))");
    int found = 0;
    for (const auto& match : option.globalMatch(DiffHelpText())) {
        EXPECT_TRUE(page.contains(match.captured(1))) << match.captured(1).toStdString();
        EXPECT_TRUE(QRegularExpression("[' ]" + QRegularExpression::escape(match.captured(1)) + "[' \n]").match(words).hasMatch())
            << match.captured(1).toStdString() << " in the completion";
        ++found;
    }
    EXPECT_GE(found, 15);
    // Completed as options before "--", as files after it.
    const QString complete = "source '" TALLIR_SOURCE_DIR "/data/tallir-diff.bash-completion'; cd /; COMP_WORDS=(%1); "
                             "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); %2; echo \"${COMPREPLY[*]}\"";
    for (const auto& [words, function, offered] : {std::tuple{"tallir-diff --j", "_tallir_diff", "--json"},
                                                   {"tallir-diff -- --j", "_tallir_diff", ""}, {"tallir -w", "_tallir", "-wc -wh -wv"},
                                                   {"tallir -- -w", "_tallir", ""}})
        EXPECT_EQ(Shell(complete.arg(words, function)).out.trimmed(), offered) << words;
}

TEST_F(TallirDiff, RowsAlignedByKeyOrByIdenticalRows)
{
    // One time step more in File 2, and a last digit changed after it.
    const QString a = folder.write("a.txt", "0 1.0\n1 2.0\n2 3.0\n3 4.0\n");
    const QString b = folder.write("b.txt", "0 1.0\n1 2.0\n1.5 9\n2 3.1\n3 4.0\n");
    const QString same = folder.write("same.txt", "0 1.0\n1 2.0\n2 3.0\n3 4.0\n");
    const QString shortened = folder.write("short.txt", "0 1.0\n2 3.0\n3 4.0\n");
    const QString stamped = folder.write("stamped.txt", "0 1.0\n1.0000000001 2.0\n1.5 9\n2 3.0\n3 4.0\n");
    struct Case { QStringList arguments; QString out; int status; };
    const QString end = "rows out of step: File 1 has 4 rows, File 2 has 5\n";
    const Case cases[] = {
        {{"--key", "1", a, b},
         "only in " + b + ": line 3\nR3/4 C2\t3.0\t3.1\t1.48\n" + a + " != " + b + "\nat 1 cells\nin smaller rows and cols.\n" + end, 1},
        {{"--align", a, b}, "R3 C1\t2\t1.5\t0.60\nR3 C2\t3.0\t9\t-0.30\nonly in " + b + ": line 4\n", 1},
        {{"--key", "1", a, shortened}, "only in " + a + ": line 2\n", 1}, // a missing row alone makes a difference
        // Keys a hair apart pair within --key-tol; the inserted step stays one-sided.
        {{"--key", "1", "--key-tol", "1e-9", a, stamped}, "R2 C1\t1\t1.0000000001\t10.00\nonly in " + stamped + ": line 3\n", 1},
        {{"--key", "1", a, stamped}, "only in " + a + ": line 2\nonly in " + stamped + ": line 2\n", 1},
    };
    for (const Case& c : cases) {
        const Outcome run = Diff(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments.join(' ').toStdString() << run.err.toStdString();
        EXPECT_TRUE(run.out.startsWith(c.out)) << c.arguments.join(' ').toStdString() << "\n" << run.out.toStdString();
    }
    EXPECT_TRUE(Diff({"--key", "1", a, b}).out.contains("lowest agreement 1.48 at R3/4 C2"));
    EXPECT_EQ(Diff({"--key", "2", a, same}).status, 0) << "the last column is a key";
    // What cannot pair the rows is refused, and said.
    const QString named1 = folder.write("n1.txt", "time v\n0 1.0\n1 2.0\n");
    const QString named2 = folder.write("n2.txt", "time v\n0 1.0\n0.5 7\n1 2.0\n");
    const std::pair<QStringList, const char*> refused[] = {
        {{"--key", "1", "--align", a, b}, ""}, {{"--key", "x", a, b}, ""}, {{"--key-tol", "1e-9", a, b}, ""},
        {{"--key", "1", "--key-tol", "-1", a, b}, ""}, {{"--key", "1", "--key-tol", "x", a, b}, ""},
        {{"--key", "3", "--all", a, b}, "key column 3 lies beyond both tables, of 2 columns at most"}, // streamed, and read whole
        {{"--key", "3", "--full", a, b}, "key column 3 lies beyond both tables, of 2 columns at most"},
        {{"--names", "--key", "step", named1, named2}, "no such key column"}};
    for (const auto& [arguments, said] : refused) {
        const Outcome run = Diff(arguments);
        EXPECT_EQ(run.status, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(said)) << run.err.toStdString();
    }
    // Repeated keys and names are said in the text report and in JSON, never silently paired.
    const QString twice1 = folder.write("twice1.txt", "t x x\n0 1 1\n1 2 2\n1 3 3\n"), twice2 = folder.write("twice2.txt", "t x x\n1 2 2\n0 1 1\n");
    const Outcome twice = Diff({"--names", "--key", "t", twice1, twice2});
    EXPECT_EQ(twice.status, 1);
    EXPECT_TRUE(twice.out.contains("only in " + twice1 + ": line 4\n")) << twice.out.toStdString();
    EXPECT_TRUE(twice.out.contains("\nrepeated keys in File 1: 1 row, line 4\nrepeated column names in File 1: x\nrepeated column "
                                   "names in File 2: x\n"))
        << twice.out.toStdString();
    const QJsonObject repeats = Json({"--names", "--key", "t", twice1, twice2});
    EXPECT_EQ(std::tuple(repeats["repeatedKeys1"], repeats["repeatedKeys2"], repeats["warnings"][0]),
              std::tuple(QJsonValue(1), QJsonValue(0), QJsonValue("repeated keys in File 1: 1 row, line 4")));
    // By name, with a names line.
    const Outcome byName = Diff({"--names", "--key", "time", named1, named2});
    EXPECT_EQ(byName.status, 1);
    EXPECT_TRUE(byName.out.startsWith("only in " + named2 + ": line 3\n")) << byName.out.toStdString();
    const QJsonObject keyed = Json({"--names", "--key", "time", named1, named2});
    EXPECT_EQ(keyed["rowsOnlyIn2"], (QJsonArray{3})) << "line 3, below the names line";
    EXPECT_EQ(keyed["oneSidedRows"], (QJsonArray{QJsonObject{{"file", 2}, {"line", 3}, {"keys", QJsonArray{"0.5"}}}}));

    const QJsonObject json = Json({"--key", "1", a, b});
    const QJsonValue cell = json["cells"][0];
    EXPECT_EQ(json["cells"].toArray().size(), 1);
    EXPECT_EQ(std::tuple(cell["row"], cell["row1"], cell["row2"], cell["keys"]),
              std::tuple(QJsonValue(3), QJsonValue(3), QJsonValue(4), QJsonValue(QJsonArray{"2"}))) << "File 1's row first";
    EXPECT_EQ(std::pair(json["rowsOnlyIn1"], json["rowsOnlyIn2"]), std::pair(QJsonValue(QJsonArray()), QJsonValue(QJsonArray{3})));
    // Two key columns: a one-sided row's keys, both.
    const QJsonObject twoKeys{{"file", 2}, {"line", 3}, {"keys", QJsonArray{"1.5", "9"}}};
    EXPECT_TRUE(Json({"--key", "1,2", a, b})["oneSidedRows"].toArray().contains(twoKeys));
    EXPECT_FALSE(Json({a, b}).contains("rowsOnlyIn2")) << "by position the document is as it was";
}

TEST_F(TallirDiff, HtmlReportBesideTheTextReport)
{
    const QString a = folder.write("a.txt", "0 1.0\n1 2.0\n");
    const QString b = folder.write("b.txt", "0 1.0\n1 2.5\n");
    const Outcome run = Diff({"--html", folder.path("report.html"), a, b});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.startsWith("R2 C2\t2.0\t2.5\t")) << "the text report as ever";
    EXPECT_EQ(QString::fromUtf8(folder.read("report.html")).count("<tr class=\"cell\">"), 1);
    // The page says how the rows were paired.
    for (const auto& [options, pairing] : {std::pair{QStringList{}, "by position"}, {{"--align"}, "paired around identical rows"},
                                           {{"--key", "1"}, "paired by key 1<"}, {{"--key", "1", "--key-tol", "0.5"}, "paired by key 1 within 0.5"}}) {
        EXPECT_EQ(Diff(options + QStringList{"--html", folder.path("report.html"), a, b}).status, 1);
        EXPECT_TRUE(QString::fromUtf8(folder.read("report.html")).contains(pairing)) << pairing;
    }
}

TEST_F(TallirDiff, AsGitsDiffDriverForEveryChange)
{
    const QString old = folder.write("old.txt", "1 2\n3 4\n"), now = folder.write("new.txt", "1 2\n3 5\n");
    const QString renamed = "similarity index 90%\nrename from t.txt\nrename to u.txt\n";
    const QString copied = "similarity index 90%\ncopy from t.txt\ncopy to u.txt\n";
    // out: how the report starts; the whole of it for a table on one side
    struct Case { QStringList arguments; QString out; int status; };
    const Case cases[] = {
        {{"t.txt", old, "1a", "100644", now, "2b", "100644"}, "--- a/t.txt\n+++ b/t.txt\nR2 C2\t4\t5\t", 0},
        {{"t.txt", old, "1a", "100644", now, "2b", "100755"}, "--- a/t.txt\n+++ b/t.txt\nold mode 100644\nnew mode 100755\nR2 C2\t", 0},
        {{"t.txt", old, "1a", "100644", now, "2b", "100644", "u.txt", renamed}, "--- a/t.txt\n+++ b/u.txt\nrenamed from t.txt\nR2 C2\t", 0},
        {{"t.txt", old, "1a", "100644", old, "1a", "100644", "u.txt", copied}, "--- a/t.txt\n+++ b/u.txt\ncopied from t.txt\na/t.txt == b/u.txt\n", 0},
        {{"t.txt", "/dev/null", ".", ".", now, "2b", "100644"},
         "--- /dev/null\n+++ b/t.txt\nnew table\nonly in b/t.txt: line 1\nonly in b/t.txt: line 2\nb/t.txt: new table, R2 x C2\n", 0},
        {{"t.txt", old, "1a", "100644", "/dev/null", ".", "."},
         "--- a/t.txt\n+++ /dev/null\ndeleted table\nonly in a/t.txt: line 1\nonly in a/t.txt: line 2\na/t.txt: deleted table, R2 x C2\n", 0},
        {{"t.txt"}, "* Unmerged path t.txt\n", 0},
        {{"t.txt", old, "1a", "100644", now, "2b", "100644", "u.txt"}, "", 2},
    };
    for (const Case& c : cases) {
        const Outcome run = Diff(QStringList{"--git"} + c.arguments);
        const std::string what = c.arguments.mid(0, 9).join(' ').toStdString();
        EXPECT_EQ(run.status, c.status) << what << run.err.toStdString();
        if (c.status == 2 || c.out.contains("table,") || c.out.startsWith('*'))
            EXPECT_EQ(run.out, c.out) << what;
        else
            EXPECT_TRUE(run.out.startsWith(c.out)) << what << "\n" << run.out.toStdString();
    }
}

#ifdef TALLIR_DIFF_MPI
namespace {

// mpirun with the processes given (groups of "-n N [--wdir DIR] PROGRAM ARGS", ":" between).
Outcome MpiRun(const QStringList& processes)
{
    const QStringList root = ::geteuid() == 0 ? QStringList{"--allow-run-as-root"} : QStringList{};
    return Run("mpirun", QStringList{"--oversubscribe", "--bind-to", "none"} + root + processes);
}

} // namespace

TEST(TallirDiffMpi, ProcessesTogetherGiveTallirDiffsReportAndStatus)
{
    // Three processes, each splitting both files at rows of its own: the same bytes and status
    // as tallir-diff, with rows that end in CR LF or a lone CR, blank rows, a last row without
    // its end, a wider row late in File 1 (cells beyond the width seen so far wait for it), files
    // of different lengths, one empty, and columns by name. By key: keys rising in both files,
    // with rows in one file only on both sides of a gap (File 2's key first there); the same rows
    // shuffled, some repeated, sorted and sent a few rows at a time (one row longer than that);
    // by name with File 2's columns in another order.
    const TempFolder folder;
    QByteArray ragged1, ragged2;
    for (int r = 0; r < 40; ++r) {
        ragged1 += QByteArray::number(r) + (r % 7 == 3 ? " 2.5\r\n" : r % 11 == 5 ? " 1\r" : r == 20 ? "\n" : " 2 x\n");
        ragged2 += QByteArray::number(r) + (r % 9 == 4 ? ".000001 2.5 x\n" : " 2 x\n");
    }
    const QString a = folder.write("a.txt", ragged1 + "1 2 3 4 5\n9 9"), b = folder.write("b.txt", ragged2);
    const QString longer = folder.write("c.txt", ragged2 + ragged2), empty = folder.write("e.txt", "");
    const QString named1 = folder.write("n1.txt", "t x v\r" + ragged2), named2 = folder.write("n2.txt", "v t x w\n" + ragged1);
    std::vector<QByteArray> keyed1, keyed2, keyedNamed2;
    for (int r = 0; r < 60; ++r) {
        const QByteArray key = QByteArray::number(r * 3), v = QByteArray::number(r) + ".5", w = r == 8 ? QByteArray(150, 'x') : QByteArray::number(r % 6 == 0 ? r + 1 : r);
        if (r % 5 != 2)
            keyed1.push_back(key + " " + v + " " + QByteArray::number(r) + "\n");
        const QByteArray key2 = r % 7 == 3 ? QByteArray::number(r * 3 - 1) : key;
        keyed2.push_back(key2 + " " + v + " " + w + "\n");
        keyedNamed2.push_back(w + " " + key2 + " " + v + "\n");
    }
    const auto joined = [](std::vector<QByteArray> rows, unsigned seed, int repeated) {
        if (seed)
            std::shuffle(rows.begin(), rows.end(), std::mt19937(seed));
        for (int i = 0; i < repeated; ++i)
            rows.push_back(rows[std::size_t(i * 5)]);
        return QByteArrayList(rows.begin(), rows.end()).join();
    };
    const QString rising1 = folder.write("k1.txt", joined(keyed1, 0, 0)), rising2 = folder.write("k2.txt", joined(keyed2, 0, 0));
    const QString shuffled1 = folder.write("s1.txt", joined(keyed1, 1, 2)), shuffled2 = folder.write("s2.txt", joined(keyed2, 2, 3));
    const QString byName1 = folder.write("kn1.txt", "t v w\n" + joined(keyed1, 3, 1)), byName2 = folder.write("kn2.txt", "w t v\n" + joined(keyedNamed2, 4, 0));
    // Rows of one length, so that three processes split File 1 after its tenth row, between two
    // rows of the same key; and File 2 ending before the keys of the later parts of File 1.
    QByteArray straddling, plain;
    for (int r = 0; r < 30; ++r) {
        straddling += QByteArray::number(10 + r - (r >= 10)) + " 1.5\n";
        plain += QByteArray::number(10 + r) + " 1.5\n";
    }
    const QString repeatedAtSplit = folder.write("k3.txt", straddling), plainKeys = folder.write("k4.txt", plain);
    const QString shortRising = folder.write("k5.txt", joined({keyed2.begin(), keyed2.begin() + 10}, 0, 0));
    const QList<QStringList> runs{{a, b}, {b, a}, {"-r", "1e-5", "--all", a, longer}, {longer, a}, {"-q", a, b}, {"-q", b, b},
                                  {a, empty}, {"--names", named1, named2}, {"--names", "-a", "v=0.1", named2, named1},
                                  {"--key", "1", rising1, rising2}, {"--key", "1", "--sort-memory", "2K", shuffled1, shuffled2}, {"--all", "--key", "1", rising1, shuffled2},
                                  {"--names", "--key", "t", byName1, byName2}, {"--key", "1", repeatedAtSplit, plainKeys},
                                  {"--key", "1", rising1, shortRising}};
    for (const QStringList& arguments : runs) {
        for (const QStringList& format : {QStringList{}, QStringList{"--json"}}) {
            const QStringList all = format + arguments;
            const Outcome alone = Diff(all), together = MpiRun(QStringList{"-n", "3", TALLIR_DIFF_MPI} + all);
            EXPECT_EQ(together.out.toStdString(), alone.out.toStdString()) << all.join(' ').toStdString();
            EXPECT_EQ(together.status, alone.status) << all.join(' ').toStdString() << together.err.toStdString();
        }
    }

    // What cannot be split is refused, by every process: said once, status 2.
    ASSERT_EQ(QProcess::execute("gzip", {"-k", b}), 0);
    for (const QStringList& arguments : {QStringList{a, b + ".gz"}, {"-", b}, {"--key", "1", "--key-tol", "0.5", a, b}}) {
        const Outcome refused = MpiRun(QStringList{"-n", "2", TALLIR_DIFF_MPI} + arguments);
        EXPECT_EQ(std::tuple(refused.status, refused.err.count("tallir-diff-mpi: "), refused.out), std::tuple(2, 1, QString()))
            << arguments.join(' ').toStdString() << refused.err.toStdString();
    }
    // A process that cannot open its file (the others find it in their folder): every process
    // ends with status 2, and the trouble is said once.
    QDir(folder.path()).mkdir("elsewhere");
    folder.write("elsewhere/a.txt", ragged1);
    const Outcome missing = MpiRun({"-n", "2", "--wdir", folder.path(), TALLIR_DIFF_MPI, "a.txt", "b.txt", ":", "-n", "1", "--wdir",
                                    folder.path("elsewhere"), TALLIR_DIFF_MPI, "a.txt", "b.txt"});
    EXPECT_EQ(std::tuple(missing.status, missing.err.count("tallir-diff: Can't open b.txt"), missing.out),
              std::tuple(2, 1, QString())) << missing.err.toStdString();
    // No temporary file for the cells (MPI's own files stay where they were).
    const QString notAFolder = folder.write("not-a-folder", "");
    const Outcome noSpool = MpiRun({"--mca", "orte_tmpdir_base", QDir::tempPath(), "-x", "TMPDIR=" + notAFolder, "-n", "2", TALLIR_DIFF_MPI, a, b});
    EXPECT_EQ(noSpool.status, 2);
    EXPECT_EQ(noSpool.err.count("no temporary file could be made in " + notAFolder), 1) << noSpool.err.toStdString();
}
#endif

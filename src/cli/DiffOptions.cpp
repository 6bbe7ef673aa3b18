#include "DiffOptions.h"

#include "core/ColumnList.h"
#include "core/InputFile.h"
#include "core/Version.h"
#include "locale/FileNames.h"
#include "settings/modUtil.h"

#include <QCommandLineParser>
#include <cmath>

namespace {

QString Usage()
{
    return QStringLiteral("usage: tallir-diff [OPTIONS] FILE1 FILE2\nTry 'tallir-diff --help' for more information.\n");
}

DiffCommand UsageError(const QString& problem)
{
    DiffCommand command;
    command.error = QStringLiteral("tallir-diff: ") + problem + '\n' + Usage();
    command.exitStatus = 2;
    return command;
}
} // namespace

QString DiffHelpText()
{
    return QStringLiteral(
        "usage: tallir-diff [OPTIONS] FILE1 FILE2\n"
        "Compare two text tables of numbers cell by cell, as Tallir's Compare window does.\n"
        "\n"
        "  -s, --precision-same     regard two different numbers that agree in more than\n"
        "                           DIGITS leading decimal digits as the same (\"S\")\n"
        "  -p, --precision DIGITS   the precision in decimal digits (default 10)\n"
        "  -a, --abs [COL=]X        also regard two different numbers at most X apart as\n"
        "                           the same (\"S\")\n"
        "  -r, --rel [COL=]X        also regard x1 and x2 as the same (\"S\") when\n"
        "                           |x2 - x1| <= X ref; with -a, either one suffices.\n"
        "                           With COL= (a column number from 1, or a name with\n"
        "                           --names) for that column only, in place of the\n"
        "                           global value; both may be repeated\n"
        "      --rel-to REF         ref for -r: 1 |x1| (default), 2 |x2|, max or min of\n"
        "                           |x1| and |x2|\n"
        "  -X, --ignore-columns LIST\n"
        "                           do not compare these columns (numbered from 1, ranges\n"
        "                           like 2-4,7)\n"
        "      --settings           take the precision rule, DIGITS, the tolerances, CSV\n"
        "                           reading, the names line, NaN and D exponents from\n"
        "                           Tallir.ini; options here still win\n"
        "      --all                with a tolerance in force, list the \"S\" cells too\n"
        "      --names              the first line of each file names its columns: columns\n"
        "                           are matched by name and cells named \"R12 C3 vx\"\n"
        "      --csv                read comma-separated values: only commas separate,\n"
        "                           quotes enclose a field (\"\" is one quote)\n"
        "      --nan                read nan, inf and infinity (any case, signed) as numbers:\n"
        "                           equal to their own kind, \"D\" against anything else\n"
        "      --fortran            read D or d as the exponent's letter (1.5D+02 is 150)\n"
        "      --git                run as git's diff driver: PATH OLD-FILE OLD-HEX OLD-MODE\n"
        "                           NEW-FILE NEW-HEX NEW-MODE [NEW-PATH MESSAGE]; exit 0\n"
        "                           unless in trouble\n"
        "      --key LIST           pair rows by the values in these columns (like 1 or\n"
        "                           1,3, or names with --names) rather than by position:\n"
        "                           a row missing in one file is listed as \"only in\"\n"
        "      --key-tol X          with --key, numeric key values at most X apart pair\n"
        "                           (the nearest in reach)\n"
        "      --align              pair rows around the rows identical in both files\n"
        "  -q, --quiet              print nothing; the exit status tells\n"
        "      --max-beyond N       status 0 while at most N cells lie beyond the tolerance\n"
        "                           (rows and columns in one file only still make it 1)\n"
        "      --json               print one JSON document instead of the text report\n"
        "      --html FILE          also write a report to keep as one HTML page: files,\n"
        "                           options, figures, columns, a histogram, worst cells\n"
        "      --max-line SIZE      stop with an error at a line (a CSV record) longer than\n"
        "                           SIZE bytes, or with K, M, G (default 64M)\n"
        "      --sort-memory SIZE   with --key and keys out of order, sort in about SIZE\n"
        "                           bytes of memory, the rest in $TMPDIR (default 256M)\n"
        "      --full               hold both tables in memory rather than compare them\n"
        "                           while reading; with --json, also print the three\n"
        "                           whole grids\n"
        "  -h, --help               print this help and exit\n"
        "      --version            print the version and exit\n"
        "\n"
        "The report lists each differing cell beyond the tolerance as \"R<row> C<col>\",\n"
        "FILE1's text, FILE2's text and the verdict, separated by TABs; then the closing\n"
        "message and a line of figures. Exit status: 0 when no compared cell is beyond\n"
        "the tolerance (only \"S\" cells differ, or none), 1 when some are, 2 on trouble.\n"
        "\n"
        "FILE1 and FILE2 may be \"-\" (standard input), pipes, or files ending in .gz or\n"
        ".zst, read decompressed. The text report is written while both files are read,\n"
        "in memory that does not grow with them; --json, --html, --names, --key, --align\n"
        "and --full read both tables whole first.\n");
}

std::optional<std::vector<tallir::CompareOptions::ColumnRange>> ParseColumnList(const QString& list)
{
    return tallir::ParseColumnList(list.toStdString());
}

std::optional<std::uint64_t> ParseSize(const QString& text)
{
    QString digits = text.trimmed().toUpper();
    if (digits.endsWith('B') && digits.size() > 1 && !digits[digits.size() - 2].isDigit())
        digits.chop(1);
    int shift = 0;
    if (!digits.isEmpty() && QStringLiteral("KMG").contains(digits.back())) {
        shift = 10 * (1 + int(QStringLiteral("KMG").indexOf(digits.back())));
        digits.chop(1);
    }
    bool ok = false;
    const qulonglong number = digits.toULongLong(&ok);
    if (!ok || digits.isEmpty() || !digits[0].isDigit() || number > (UINT64_MAX >> shift))
        return std::nullopt;
    return std::uint64_t(number) << shift;
}

PrecisionSettings SavedPrecisionSettings()
{
    return {modUtil::ReadCompareSettings(), modUtil::ReadColumnTolerances(), modUtil::ReadInteger("Option", "CsvMode", 0) == 1,
            modUtil::ReadInteger("Option", "NamesLine", 0) != 0};
}

DiffCommand ParseDiffArguments(const QStringList& arguments, PrecisionSettings (*readSettings)())
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption same({"s", "precision-same"}, "");
    const QCommandLineOption precision({"p", "precision"}, "", "DIGITS");
    const QCommandLineOption absolute({"a", "abs"}, "", "X");
    const QCommandLineOption relative({"r", "rel"}, "", "X");
    const QCommandLineOption relativeTo("rel-to", "", "REF");
    const QCommandLineOption all("all", "");
    const QCommandLineOption git("git", "");
    const QCommandLineOption csv("csv", "");
    const QCommandLineOption names("names", "");
    const QCommandLineOption nan("nan", "");
    const QCommandLineOption fortran("fortran", "");
    const QCommandLineOption ignore({"X", "ignore-columns"}, "", "LIST");
    const QCommandLineOption settings("settings", "");
    const QCommandLineOption key("key", "", "LIST");
    const QCommandLineOption keyTolerance("key-tol", "", "X");
    const QCommandLineOption align("align", "");
    const QCommandLineOption quiet({"q", "quiet"}, "");
    const QCommandLineOption json("json", "");
    const QCommandLineOption html("html", "", "FILE");
    const QCommandLineOption full("full", "");
    const QCommandLineOption maxLine("max-line", "", "SIZE");
    const QCommandLineOption maxBeyond("max-beyond", "", "N");
    const QCommandLineOption sortMemory("sort-memory", "", "SIZE");
    const QCommandLineOption help({"h", "help"}, "");
    const QCommandLineOption version("version", "");
    parser.addOptions({same, precision, absolute, relative, relativeTo, ignore, settings, key, keyTolerance, align, quiet, json, html, full, all, git, csv, names,
                       nan, fortran, maxLine, maxBeyond, sortMemory, help, version});
    if (!parser.parse(arguments))
        return UsageError(parser.errorText());

    DiffCommand command;
    if (parser.isSet(help)) {
        command.output = DiffHelpText();
        return command;
    }
    if (parser.isSet(version)) {
        // As GNU programs say it: the program, its package and version; then the caption.
        command.output = QStringLiteral("tallir-diff (Tallir) %1.%2.%3\n%4\n")
                             .arg(tallir::VersionMajor)
                             .arg(tallir::VersionMinor)
                             .arg(tallir::VersionRevision)
                             .arg(QString::fromStdString(tallir::VersionCaption()));
        return command;
    }
    const QStringList files = parser.positionalArguments();
    DiffOptions options;
    if (parser.isSet(git)) {
        // git's seven: path old-file old-hex old-mode new-file new-hex new-mode; for a rename or
        // copy two more, the new path and git's lines about it; for an unmerged path the path alone.
        if (files.size() == 1) {
            command.output = "* Unmerged path " + files[0] + "\n";
            return command;
        }
        if (files.size() != 7 && files.size() != 9)
            return UsageError(QStringLiteral("--git takes the arguments git gives a diff driver (1, 7 or 9)"));
        options.git = true;
        options.gitPath = files[0];
        options.path1 = files[1];
        options.gitOldMode = files[3];
        options.path2 = files[4];
        options.gitNewMode = files[6];
        options.gitNewPath = files.size() == 9 ? files[7] : files[0];
        options.gitCopy = files.size() == 9 && files[8].contains(QLatin1String("copy from"));
    } else if (files.size() != 2) {
        return UsageError(files.size() < 2 ? QStringLiteral("two files are needed") : QStringLiteral("too many files"));
    } else {
        options.path1 = files[0];
        options.path2 = files[1];
        if (options.path1 == QLatin1String("-") && options.path2 == QLatin1String("-"))
            return UsageError(QStringLiteral("standard input can be only one of the two files"));
    }
    if (parser.isSet(settings)) {
        const PrecisionSettings stored = readSettings();
        options.compare = stored.compare;
        options.columnTolerances = stored.columnTolerances;
        options.csv = stored.csv;
        options.names = stored.names;
    }
    if (parser.isSet(same))
        options.compare.precisionSame = true;
    if (parser.isSet(precision)) {
        bool ok = false;
        options.compare.precisionLog = parser.value(precision).toDouble(&ok);
        if (!ok || !std::isfinite(options.compare.precisionLog))
            return UsageError(QStringLiteral("the precision is not a number: ") + parser.value(precision));
    }
    // -a and -r: X for every column, COL=X for one (the last given wins); in the order given.
    for (const auto& [option, isAbsolute] : {std::pair{&absolute, true}, {&relative, false}}) {
        for (const QString& given : parser.values(*option)) {
            const qsizetype equals = given.lastIndexOf('=');
            const auto value = tallir::ParseToleranceValue(given.mid(equals + 1).toStdString());
            const QString flag = isAbsolute ? QStringLiteral("-a ") : QStringLiteral("-r ");
            if (!value)
                return UsageError((isAbsolute ? QStringLiteral("the absolute difference") : QStringLiteral("the relative difference"))
                                  + " is not a finite number of 0 or more: " + flag + given);
            if (equals < 0) {
                (isAbsolute ? options.compare.absoluteTolerance : options.compare.relativeTolerance) = value;
                continue;
            }
            const QString column = given.left(equals).trimmed();
            if (column.isEmpty())
                return UsageError(QStringLiteral("no column before '=': ") + flag + given);
            tallir::ColumnToleranceText own{column.toStdString(), {}, {}};
            (isAbsolute ? own.absolute : own.relative) = value;
            options.columnTolerances.push_back(std::move(own));
        }
    }
    if (parser.isSet(relativeTo)) {
        const auto to = tallir::ParseRelativeTo(parser.value(relativeTo).toStdString());
        if (!to)
            return UsageError(QStringLiteral("--rel-to takes 1, 2, max or min, not ") + parser.value(relativeTo));
        options.compare.relativeTo = *to;
    }
    if (parser.isSet(ignore)) {
        auto columns = ParseColumnList(parser.value(ignore));
        if (!columns)
            return UsageError(QStringLiteral("not a list of columns: ") + parser.value(ignore));
        options.compare.ignoredColumns = std::move(*columns);
    }
    if (parser.isSet(key)) {
        // Names are known once the files are read; numbers can be checked now.
        options.keyList = parser.value(key);
        if (!tallir::KeyColumns(options.keyList.toStdString(), {}) && !options.names && !parser.isSet(names))
            return UsageError(QStringLiteral("not a list of columns: ") + options.keyList);
    }
    if (parser.isSet(keyTolerance)) {
        const auto tolerance = tallir::ParseToleranceValue(parser.value(keyTolerance).toStdString());
        if (!tolerance)
            return UsageError(QStringLiteral("the key tolerance is not a finite number of 0 or more: --key-tol ") + parser.value(keyTolerance));
        if (options.keyList.isEmpty())
            return UsageError(QStringLiteral("--key-tol needs --key"));
        options.keyTolerance = *tolerance;
    }
    options.alignIdentical = parser.isSet(align);
    if (options.alignIdentical && !options.keyList.isEmpty())
        return UsageError(QStringLiteral("--key and --align are two ways to pair rows: give one"));
    options.quiet = parser.isSet(quiet);
    options.json = parser.isSet(json);
    options.htmlPath = parser.value(html);
    for (const QString& input : {options.path1, options.path2})
        if (!options.htmlPath.isEmpty() && input != QLatin1String("-")
            && tallir::SameFile(FileNameString(options.htmlPath), FileNameString(input)))
            return UsageError(QStringLiteral("the report would overwrite an input: ") + options.htmlPath);
    options.full = parser.isSet(full);
    if (parser.isSet(maxLine)) {
        const auto size = ParseSize(parser.value(maxLine));
        if (!size || *size == 0)
            return UsageError(QStringLiteral("not a size of 1 byte or more: ") + parser.value(maxLine));
        options.maxLine = *size;
    }
    if (parser.isSet(sortMemory)) {
        const auto size = ParseSize(parser.value(sortMemory));
        if (!size || *size == 0)
            return UsageError(QStringLiteral("not a size of 1 byte or more: ") + parser.value(sortMemory));
        options.sortMemory = std::size_t(std::min<std::uint64_t>(*size, SIZE_MAX));
    }
    options.all = parser.isSet(all);
    options.csv = options.csv || parser.isSet(csv);
    options.names = options.names || parser.isSet(names);
    // Columns by number can be checked now; names once the files are read.
    if (!options.names) {
        std::vector<std::string> unknown;
        options.compare.columnTolerances = tallir::ResolveColumnTolerances(options.columnTolerances, {}, unknown);
        if (!unknown.empty())
            return UsageError(QStringLiteral("no such column for a tolerance (columns are numbered from 1; names need --names): ")
                              + QString::fromStdString(unknown.front()));
    }
    if (parser.isSet(maxBeyond)) {
        bool ok = false;
        const QString text = parser.value(maxBeyond);
        const qulonglong cells = text.toULongLong(&ok);
        if (!ok || text.isEmpty() || !text.front().isDigit())
            return UsageError(QStringLiteral("--max-beyond takes a whole number of cells, not ") + text);
        options.maxBeyond = cells;
    }
    options.compare.grammar.nanInf = options.compare.grammar.nanInf || parser.isSet(nan);
    options.compare.grammar.exponentD = options.compare.grammar.exponentD || parser.isSet(fortran);
    command.options = std::move(options);
    return command;
}

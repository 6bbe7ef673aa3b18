#pragma once
// The command line of tallir-diff.

#include "core/Compare.h"
#include "core/TableReader.h"

#include <QString>
#include <QStringList>
#include <optional>

struct DiffOptions {
    QString path1;
    QString path2;
    tallir::CompareOptions compare;
    bool quiet = false;
    bool json = false;
    bool full = false;
    bool all = false; // the text report lists the cells regarded as the same too
    bool csv = false; // comma-separated values, quotes enclosing fields
    bool names = false; // the first line holds the columns' names
    // Columns with tolerances of their own, as given: by number, or by name with --names (the
    // names are known once the files are read). Resolved into compare.columnTolerances.
    std::vector<tallir::ColumnToleranceText> columnTolerances;
    // Rows paired by the values of these key columns (numbers from 1, or names with --names),
    // or by identical rows, rather than by position. Empty: no key.
    QString keyList;
    double keyTolerance = 0; // numeric key cells this far apart still pair
    bool alignIdentical = false;
    QString htmlPath; // also write the HTML report there; empty: none
    // Called by git as its diff driver: the names shown are a/ and b/ and the path in the
    // repository, /dev/null stands for no file, and a difference is no failure.
    bool git = false;
    QString gitPath;    // the path in the repository (before a rename or copy)
    QString gitNewPath; // after a rename or copy; else the same
    QString gitOldMode, gitNewMode; // "100644"; "." for no file
    bool gitCopy = false;           // a copy rather than a rename
    std::uint64_t maxLine = tallir::DefaultLineLimit; // the longest line (CSV record) read
    std::size_t sortMemory = std::size_t(256) << 20;  // for sorting rows by keys out of order
    // For a CI job: as many cells beyond the tolerance as this still make status 0.
    std::optional<std::uint64_t> maxBeyond;
};

// What the command line asks for: a comparison, or a text to print and a status to end with.
struct DiffCommand {
    std::optional<DiffOptions> options;
    QString output;     // for standard output (help, version)
    QString error;      // for standard error (usage problems)
    int exitStatus = 0; // when there is nothing to compare
};

// arguments as given, the program name first. readSettings gives "PrecisionSame",
// "PrecisionLog" and "AbsoluteTolerance" for --settings.
struct PrecisionSettings {
    tallir::CompareOptions compare; // the precision rule, tolerances and reading of numbers
    std::vector<tallir::ColumnToleranceText> columnTolerances;
    bool csv = false;
    bool names = false;
};
DiffCommand ParseDiffArguments(const QStringList& arguments, PrecisionSettings (*readSettings)());
// What the windows saved in the settings file, for --settings.
PrecisionSettings SavedPrecisionSettings();

// A size as people write it: bytes, or a number with K, M or G (KB, MB, GB; powers of 1024).
std::optional<std::uint64_t> ParseSize(const QString& text);

// The --help text; the man page says the same.
QString DiffHelpText();

// "2-4,7" as value columns to ignore (grid numbers from 1); nothing when the list is malformed.
std::optional<std::vector<tallir::CompareOptions::ColumnRange>> ParseColumnList(const QString& list);

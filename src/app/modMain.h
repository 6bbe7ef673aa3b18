#pragma once
// The program's entry: one copy at a time, a system version it accepts, the help file beside the
// executable, then the frame.

#include <QString>

#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QApplication;
class QWidget;
class frmGrid;

namespace platform {
class SingleInstance;
}

namespace modMain {

enum class StartUpGate {
    PreviousInstance, // another copy runs; it was told and asked to come to the front
    VersionRefused,   // the system is older than version 4.00
    Start,
};

// Steps before any window: the previous-instance test and then the version test, each with its
// message. instance stays connected or listening accordingly. A second copy first hands the
// files of its command line and its -i or -e to the running one, waits until they are loaded,
// then shows its message.
StartUpGate CheckStartUp(platform::SingleInstance& instance, const QStringList& arguments = {});

// The files a command line names after its options (at most two), as absolute paths.
QStringList CommandLineFiles(const QStringList& arguments);
// How a command line asks for its files to be compared: "e" (-e), "i" (-i) or "" (neither).
QString CommandLineCompare(const QStringList& arguments);

// The version the start-up test sees for a kernel release: its version text, with kernels from
// 3.2 on counted as 4.00 (they are recent enough here).
QString StartUpVersion(const QString& kernelRelease);
// Whether a version text such as "4.00" is one the program runs on (4.0 and above).
bool VersionAccepted(const QString& versionText);

// The help file used by the help command.
QString HelpFile();
void SetHelpFile(const QString& path);

// Reads a file into a file window: the grid, the caption, the status panels and the recent
// paths. False, with the message "Can't open " and the path, when it cannot be read; the
// window then stays exactly as it was.
bool LoadFile(frmGrid& window, const QString& path);
// Reads two files into two windows at once, as LoadFile does each (an empty path: none); the
// messages come in the files' order. Whether each was loaded.
std::pair<bool, bool> LoadFiles(frmGrid& window1, const QString& path1, frmGrid& window2, const QString& path2);

// Compares "File 1" with "File 2" into "Compare" and shows the closing message (or, with Tool >
// Closing Message off, says it in the frame's status bar). False when nothing was compared:
// cancelled, or a file read in place changed on disk meanwhile.
bool CompareGrids();
// File windows whose tables are read in place from files that changed since show nothing of them
// any more (their bytes are no longer those indexed); later while other work runs. True when
// one did.
bool ForgetChangedTables();
// Whether the comparison shown disagrees as tallir-diff's exit status tells: a cell beyond the
// tolerance, a row or column in one file only, or tables of different shapes.
bool Disagrees();

// Whether loads and comparisons fit the columns to their texts (Tool > Fit Widths on Load).
bool FitWidthsOnLoad();
// Whether the cells regarded as the same ("S") are passed over by the difference navigation,
// left without colour and left out of the counts at a glance (Tool > Hide Cells Regarded as the
// Same).
bool HideSame();
// Whether a comparison ends with its closing message box (Tool > Closing Message).
bool ClosingMessageShown();
// Whether the first line of a file holds the columns' names (Tool > First Line Holds Names).
bool NamesLine();
// How comparisons pair rows (Tool > Align Rows): 0 by position, 1 by key columns, 2 by
// identical rows; and the key columns (0-based, File 1's, found by number or among File 1's
// names), nothing when the list names a column there is not.
int AlignRows();
std::optional<std::vector<std::uint64_t>> KeyColumns(const std::vector<std::string>& names);
// "Option"/"KeyTolerance": numeric key values this far apart still pair; 0 for exact keys.
double KeyTolerance();

// The tokens of the command line, from the arguments after the program name.
QStringList CommandLineTokens(const QStringList& arguments);

// The About box; versionTab opens it on "Version" whatever was stored.
// With a frame, its icon shows in the box.
void ShowAbout(QWidget* parent, bool versionTab = false, QWidget* frame = nullptr);
// The options dialog; when OK changed the precision rule, the precision or the tolerance and a
// comparison is shown, it is made again at once.
void ShowOptions(QWidget* parent);

// File > Export Report: asks for a file and writes the comparison shown there, as a web page,
// as CSV when the name ends in .csv, or as tallir-diff's JSON document when it ends in .json.
void ExportReport(QWidget* parent);

// Tool > Only Differing Rows (not saved): the three grids show only the compared rows with a
// difference, each with its own number; the selection stays on the same cells either way.
bool OnlyDifferingRows();
// Applies the choice to the comparison shown (after a comparison, the filter is made anew);
// keepSelection: the three grids select the same compared cells as before.
void ApplyRowFilter(bool keepSelection = false);

// The row alignment dialog; when OK changed the way rows are paired and a comparison is shown,
// it is made again at once.
void ShowAlignRows(QWidget* parent);

// "--help" and "--version" among the arguments: prints the usage or the version line on
// standard output and gives the exit status; nothing for any other command line.
std::optional<int> AnswerWithoutWindow(const QStringList& arguments);
// The usage text --help prints.
QString UsageText();

// Runs the whole program with its arguments (after the program's name); returns the
// process's exit status.
int Main(QApplication& application, const QStringList& arguments);

} // namespace modMain

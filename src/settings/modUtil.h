#pragma once
// The settings file Tallir.ini and its typed accessors. Nothing is cached: every read opens
// the file, every write replaces it at once, atomically (a temporary file renamed over it),
// so a crash or a full disk never leaves half a file behind.

#include "core/Compare.h"

#include <QString>

namespace modUtil {

// folder + name, with one "/" between them unless folder already ends with one.
QString PathJoin(const QString& folder, const QString& name);

// Where the settings file lives, computed anew on every call: the folder named by the
// environment variable TALLIR_SETTINGS_DIR when set; else beside the executable when that
// folder is writable and the copy is not installed; else $XDG_CONFIG_HOME/Tallir (~/.config/Tallir).
QString SettingsPath();
// The same for an executable in this folder, the environment aside: beside it for a copy that
// is not installed, in $XDG_CONFIG_HOME/Tallir for an installed one.
QString SettingsPathFor(const QString& executableFolder);
// The manual of an installed copy (prefix/share/doc/tallir/Tallir.html beside prefix/bin);
// empty for a copy that is not installed.
QString InstalledManual(const QString& executableFolder);

qint16 ReadInteger(const QString& section, const QString& key, qint16 defaultValue);
qint16 ReadIntegerFrom(const QString& section, const QString& key, qint16 defaultValue, const QString& path);
float ReadSingle(const QString& section, const QString& key, float defaultValue);
float ReadSingleFrom(const QString& section, const QString& key, float defaultValue, const QString& path);
double ReadDouble(const QString& section, const QString& key, double defaultValue);
double ReadDoubleFrom(const QString& section, const QString& key, double defaultValue, const QString& path);
QString ReadString(const QString& section, const QString& key, const QString& defaultValue);
QString ReadStringFrom(const QString& section, const QString& key, const QString& defaultValue, const QString& path);
// True when written. A value with a line break (or a name that would change the file's
// structure) is not written.
bool WriteString(const QString& section, const QString& key, const QString& value);
bool WriteStringTo(const QString& section, const QString& key, const QString& value, const QString& path);

// Numbers as the settings file holds them: the ordinary number-to-text conversion in the
// user's locale (7 significant digits for Single, 15 for Double).
QString SingleToText(float value);
QString DoubleToText(double value);
// Whether a text reads as a finite number, in the locale's form or the C form.
bool TextIsNumber(const QString& text);
// "Option"/"AbsoluteTolerance": two different numbers at most this far apart are regarded as
// the same. Off (none) when absent, empty, or not a number of 0 or more.
std::optional<double> ReadAbsoluteTolerance();
// "Option"/"RelativeTolerance": the same for |x2 - x1| as a share of the reference that
// "Option"/"RelativeTo" names ("1", "2", "max" or "min"; else 1).
std::optional<double> ReadRelativeTolerance();
tallir::RelativeTo ReadRelativeTo();
// "Option"/"ColumnTolerances", columns with tolerances of their own, as "p: r=1e-3; T: a=0.01";
// none when absent or malformed. The columns are resolved against the tables' names.
std::vector<tallir::ColumnToleranceText> ReadColumnTolerances();
// The comparison's settings: the precision rule, the tolerances but the columns' own, and the
// reading of numbers (NaN and infinities, D exponents).
tallir::CompareOptions ReadCompareSettings();
// Whether a text is one the tolerance may be set to: empty (off) or a number of 0 or more.
bool ToleranceTextAccepted(const QString& text);
// The tolerance a text stands for: a number of 0 or more in the locale's form or the C form.
std::optional<double> ToleranceValue(const QString& text);

// There is no "system.ini" here: the default comes back.
QString ReadSystemIni(const QString& section, const QString& key, const QString& defaultValue);
// There is no registry here: always "".
QString ReadRegistryString(const QString& root, const QString& subkey, const QString& name);

// The system's version as major + minor / 100 with two decimals, of a kernel release text such
// as "6.1.0-13-amd64" ("6.01").
QString WindowsVersion(const QString& kernelRelease);

} // namespace modUtil

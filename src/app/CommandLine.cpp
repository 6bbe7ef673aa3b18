// Start-up step 11: the command line "[-h] [-i] [-e] [-w{c|h|v}] [file1] [file2]".

#include "mdiMain.h"

#include "modMain.h"
#include "grid/GridWindows.h"
#include "grid/frmGrid.h"
#include "grid/MSFlexGrid.h"
#include "platform/PlatformServices.h"
#include "settings/modUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace {

void Inform(const QString& text, QWidget* parent)
{
    platform::MsgBox(text, platform::Buttons::Ok, platform::Icon::Information, {}, parent);
}

void Reject(const QString& option, QWidget* parent)
{
    Inform("Option \"" + option + "\" ignored.", parent);
}

// "-" starts an option; so does "/", the other option prefix, unless the token is a path here:
// one with a further "/" (an absolute path like /data/a.txt) or one that names a file. A lone
// "/" is the prefix of no option letter.
bool IsOption(const QString& token)
{
    if (token.startsWith('-') || token == QLatin1String("/"))
        return true;
    return token.startsWith('/') && !token.mid(1).contains('/') && !QFileInfo::exists(token);
}

// A file name without a folder separator is taken from the current folder.
QString WithFolder(const QString& token)
{
    return token.contains('/') ? token : "./" + token;
}

} // namespace

QStringList modMain::CommandLineTokens(const QStringList& arguments)
{
    // The shell has split the line already: each argument is one token. Empty ones give
    // nothing, and a token quoted at both ends loses those two quotes.
    QStringList tokens;
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        if (argument.size() >= 2 && argument.startsWith('"') && argument.endsWith('"'))
            tokens << argument.mid(1, argument.size() - 2);
        else
            tokens << argument;
    }
    return tokens;
}

QStringList modMain::CommandLineFiles(const QStringList& arguments)
{
    const QStringList tokens = CommandLineTokens(arguments);
    QStringList files;
    bool options = true;
    for (const QString& token : tokens) {
        if (options && token == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (options && files.isEmpty() && IsOption(token))
            continue;
        options = false;
        files << QDir::cleanPath(QDir::current().absoluteFilePath(token));
        if (files.size() == 2)
            break;
    }
    return files;
}

QString modMain::CommandLineCompare(const QStringList& arguments)
{
    QString compare;
    for (const QString& token : CommandLineTokens(arguments)) {
        if (token == QLatin1String("--") || !IsOption(token))
            break;
        for (qsizetype at = 1; at < token.size() && token[at] != 'w'; ++at) // after w its letter and no more
            if (token[at] == 'e' || (token[at] == 'i' && compare.isEmpty()))
                compare = token[at];
    }
    return compare;
}

void mdiMain::OpenHandedOver(const QStringList& files, bool compare)
{
    frmGrid& file1 = *GridWindows()[0];
    frmGrid& file2 = *GridWindows()[1];
    if (files.size() == 1)
        modMain::LoadFile(!file1.LoadedPath().isEmpty() && file2.LoadedPath().isEmpty() ? file2 : file1, files[0]);
    else if (files.size() >= 2)
        modMain::LoadFiles(file1, files[0], file2, files[1]);
    // The comparison and its message come after the copy that handed the files over is told
    // they are loaded.
    if (!files.isEmpty() && (compare || modUtil::ReadInteger("Option", "ImmediateCompare", 0) == 1) && !file1.LoadedPath().isEmpty()
        && !file2.LoadedPath().isEmpty())
        QTimer::singleShot(0, this, [] { modMain::CompareGrids(); });
}

void mdiMain::ProcessCommandLine(const QStringList& arguments)
{
    const QStringList tokens = modMain::CommandLineTokens(arguments);
    // What the options ask for holds for this run even where the settings file cannot keep it.
    bool immediate = false;
    qsizetype index = 0;
    for (; index < tokens.size(); ++index) {
        const QString& token = tokens[index];
        if (token == QLatin1String("--")) { // the end of the options: files follow, whatever their names
            ++index;
            break;
        }
        if (!IsOption(token))
            break;
        if (token.size() == 1) {
            Inform(QStringLiteral("Option (null) ignored."), this);
            continue;
        }
        for (qsizetype at = 1; at < token.size(); ++at) {
            const QChar letter = token[at];
            if (letter == 'h' || letter == '?') {
                modMain::ShowAbout(this, true);
                close();
                return;
            }
            if (letter == 'i') {
                modUtil::WriteString("Option", "ImmediateCompare", "1");
                immediate = true;
            } else if (letter == 'e') {
                modUtil::WriteString("Option", "ImmediateCompare", "1");
                immediate = true;
                exitAfterCompare_ = true;
            } else if (letter == 'w') {
                const QChar how = at + 1 < token.size() ? token[at + 1] : QChar();
                const int chosen = how == 'c' ? 0 : how == 'h' ? 1 : how == 'v' ? 2 : -1;
                if (chosen >= 0 && modUtil::WriteString("Option", "WindowArrange", QString::number(chosen)))
                    mnuWindowArrange_Click(modUtil::ReadInteger("Option", "WindowArrange", 2));
                else if (chosen >= 0)
                    mnuWindowArrange_Click(chosen);
                else {
                    Reject(how.isNull() ? QStringLiteral("w") : QStringLiteral("w") + how, this);
                    mnuWindowArrange_Click(modUtil::ReadInteger("Option", "WindowArrange", 2));
                }
                break; // the rest of the token is skipped
            } else {
                Reject(QString(letter), this);
            }
        }
    }

    if (index >= tokens.size())
        return;
    if (index + 1 >= tokens.size()) {
        modMain::LoadFile(*GridWindows()[0], WithFolder(tokens[index]));
        return;
    }
    const auto [loaded1, loaded2] = modMain::LoadFiles(*GridWindows()[0], WithFolder(tokens[index]), *GridWindows()[1],
                                                       WithFolder(tokens[index + 1]));
    bool compared = false;
    if (immediate || modUtil::ReadInteger("Option", "ImmediateCompare", 0) == 1)
        compared = modMain::CompareGrids();
    if (exitAfterCompare_) {
        // As tallir-diff does: 0 when the tables agree within the tolerance, 1 when they do not,
        // 2 when a file could not be loaded or compared.
        exitStatus_ = !(loaded1 && loaded2 && compared) ? 2 : modMain::Disagrees() ? 1 : 0;
        close();
    }
}

#include "modMain.h"
#include "dialogs/ProgramInfo.h"
#include "grid/frmGrid.h"
#include "grid/MSFlexGrid.h"
#include "grid/GridWindows.h"

#include "mdiMain.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmAlign.h"
#include "dialogs/frmOption.h"
#include "grid/ToolIcons.h"
#include "core/Version.h"
#include "platform/PlatformServices.h"
#include "platform/SingleInstance.h"
#include "settings/modUtil.h"

#include <QApplication>
#include <cstdio>
#include <tuple>
#include <QLocale>
#include <QTimer>

namespace modMain {

namespace {
QString helpFile;

QString Caption()
{
    return QString::fromStdString(tallir::VersionCaption());
}
} // namespace

bool VersionAccepted(const QString& versionText)
{
    bool ok = false;
    const double version = QLocale::c().toDouble(versionText.trimmed(), &ok);
    return ok && version >= 4.0;
}

QString StartUpVersion(const QString& kernelRelease)
{
    // Every kernel the C library runs on (3.2 and later) is recent enough.
    const QString version = modUtil::WindowsVersion(kernelRelease);
    const double number = QLocale::c().toDouble(version);
    return number >= 3.02 && number < 4.0 ? QStringLiteral("4.00") : version;
}

StartUpGate CheckStartUp(platform::SingleInstance& instance, const QStringList& arguments)
{
    if (instance.anotherIsRunning()) {
        instance.requestOpen(CommandLineFiles(arguments), CommandLineCompare(arguments));
        platform::MsgBox(QStringLiteral("PrevInstance = True"));
        instance.requestActivation(Caption());
        return StartUpGate::PreviousInstance;
    }
    if (!VersionAccepted(StartUpVersion(platform::Platform().systemFacts().kernelRelease))) {
        platform::MsgBox(QStringLiteral("Use on Windows 95 or later."), platform::Buttons::Ok,
                         platform::Icon::Information, Caption());
        return StartUpGate::VersionRefused;
    }
    instance.listen();
    return StartUpGate::Start;
}

void ShowAbout(QWidget* parent, bool versionTab, QWidget* frame)
{
    frmAbout box(parent, versionTab);
    if (frame)
        box.SetIcon(frame->windowIcon());
    platform::Platform().execDialog(box);
}

void ShowOptions(QWidget* parent)
{
    const auto rule = [] {
        const tallir::CompareOptions o = modUtil::ReadCompareSettings();
        return std::tuple(o.precisionSame, o.precisionLog, o.absoluteTolerance, o.relativeTolerance, o.relativeTo, o.grammar.nanInf,
                          o.grammar.exponentD, tallir::ColumnTolerancesText(modUtil::ReadColumnTolerances()));
    };
    const auto before = rule();
    const bool csvBefore = modUtil::ReadInteger("Option", "CsvMode", 0) == 1;
    frmOption dialog(parent);
    const bool accepted = platform::Platform().execDialog(dialog) == QDialog::Accepted;
    const bool compared = GridWindows()[2]->MSFlexGrid1()->Store().comparison() != nullptr;
    // Read CSV switched: the files shown are read again the other way (and compared again
    // where they were).
    if (accepted && (modUtil::ReadInteger("Option", "CsvMode", 0) == 1) != csvBefore) {
        for (int slot = 0; slot < 2; ++slot)
            if (!GridWindows()[slot]->LoadedPath().isEmpty())
                LoadFile(*GridWindows()[slot], GridWindows()[slot]->LoadedPath());
        if (compared)
            CompareGrids();
        return;
    }
    if (accepted && rule() != before && compared)
        CompareGrids();
}

void ShowAlignRows(QWidget* parent)
{
    const auto way = [] {
        return std::tuple(AlignRows(), AlignRows() == 1 ? modUtil::ReadString("Option", "KeyColumns", "1") : QString(),
                          AlignRows() == 1 ? KeyTolerance() : 0.0);
    };
    const auto before = way();
    frmAlign dialog(parent);
    const bool accepted = platform::Platform().execDialog(dialog) == QDialog::Accepted;
    if (accepted && way() != before && GridWindows()[2]->MSFlexGrid1()->Store().comparison())
        CompareGrids();
}

QString HelpFile()
{
    return helpFile;
}

void SetHelpFile(const QString& path)
{
    helpFile = path;
}

QString UsageText()
{
    return "usage: tallir " + ProgramInfo::UsageLines().join('\n')
        + "\n  --help: print this text and exit\n  --version: print the version and exit\n"
          "Options may be written with \"/\" for \"-\" and combined (-ie); \"?\" stands for \"h\".\n";
}

std::optional<int> AnswerWithoutWindow(const QStringList& arguments)
{
    QString text;
    if (arguments.contains(QStringLiteral("--help")))
        text = UsageText();
    else if (arguments.contains(QStringLiteral("--version")))
        text = QString::fromStdString(tallir::VersionCaption()) + '\n';
    else
        return std::nullopt;
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 2;
}

int Main(QApplication& application, const QStringList& arguments)
{
    platform::SingleInstance instance(Caption());
    switch (CheckStartUp(instance, arguments)) {
    case StartUpGate::PreviousInstance:
        if (CommandLineCompare(arguments) == QLatin1String("e")) {
            // The status of -e tells a script how the files compare: this copy cannot say.
            std::fputs("tallir: another copy is running: the files were handed to it, and nothing was compared here\n", stderr);
            return 2;
        }
        return 0;
    case StartUpGate::VersionRefused:
        return 1;
    case StartUpGate::Start:
        break;
    }
    const QString installed = modUtil::InstalledManual(QApplication::applicationDirPath());
    SetHelpFile(!installed.isEmpty() ? installed
                                     : modUtil::PathJoin(QApplication::applicationDirPath(),
                                                         QString::fromUtf8(tallir::ProgramTitle.data()) + ".html"));
    QApplication::setWindowIcon(DrawnIcon(QStringLiteral("Compare")));
    mdiMain frame;
    QObject::connect(&instance, &platform::SingleInstance::activationRequested, &frame,
                     [](const QString& caption) { platform::ActivateWindowByCaption(caption); });
    // Files a second copy on this desktop was started with.
    QObject::connect(&instance, &platform::SingleInstance::openRequested, &frame,
                     [&frame](const QStringList& files, const QString& compare) { frame.OpenHandedOver(files, !compare.isEmpty()); });
    frame.MDIForm_Load();
    frame.show();
    // The command line runs once the frame shows, so that its messages have a window.
    QTimer::singleShot(0, &frame, [&frame, arguments] { frame.ProcessCommandLine(arguments); });
    const int status = application.exec();
    return frame.ExitStatus() ? frame.ExitStatus() : status;
}

} // namespace modMain

#include "frmAbout.h"

#include "AboutText.h"
#include "ProgramInfo.h"
#include "modTabstrip.h"
#include "core/AbbreviatePath.h"
#include "core/Version.h"
#include "platform/PlatformServices.h"
#include "settings/modControl.h"
#include "settings/modUtil.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QStringList TabKeys = {"Version", "Option", "System", "Memory", "Uninstall"};
constexpr int BarSteps = 1000;
// Memory figures come from reading a system file: a few refreshes a second are plenty.
constexpr int RefreshMilliseconds = 200;

QString Title()
{
    return QString::fromUtf8(tallir::ProgramTitle.data(), qsizetype(tallir::ProgramTitle.size()));
}

} // namespace

frmAbout::frmAbout(QWidget* parent, bool versionTab)
    : QDialog(parent)
    , tabs_(new QTabBar(this))
    , ok_(new QPushButton(QStringLiteral("OK"), this))
    , timer_(new QTimer(this))
{
    setObjectName(QStringLiteral("frmAbout"));
    tabs_->setObjectName(QStringLiteral("tbsAbout"));
    for (const QString& key : TabKeys) {
        const int index = tabs_->addTab(key);
        tabs_->setTabToolTip(index, key);
        tabs_->setTabData(index, key);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    auto* stack = new QGridLayout;
    for (int i = 0; i < TabKeys.size(); ++i) {
        auto* page = new QWidget(this);
        page->setObjectName(QStringLiteral("picAbout%1").arg(i));
        page->setMinimumSize(420, 200);
        stack->addWidget(page, 0, 0);
        pages_ << page;
    }
    layout->addLayout(stack);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok_->setObjectName(QStringLiteral("cmdOK"));
    buttons->addWidget(ok_);
    layout->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(tabs_, &QTabBar::currentChanged, this, &frmAbout::tbsAbout_Click);
    connect(timer_, &QTimer::timeout, this, &frmAbout::tmrSysInfo_Timer);
    Form_Load(versionTab);
    // Every key reaches the box first, whichever control has the focus.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

QLabel* frmAbout::addLabel(QWidget* page, const QString& name, const QString& text)
{
    auto* label = new QLabel(text, page);
    label->setObjectName(name);
    label->setWordWrap(true);
    return label;
}

void frmAbout::SetIcon(const QIcon& icon)
{
    label("picIcon")->setPixmap(icon.pixmap(32, 32));
}

QLabel* frmAbout::label(const QString& name) const
{
    return findChild<QLabel*>(name);
}

void frmAbout::Form_Load(bool versionTab)
{
    setWindowTitle("About " + Title());
    FillVersionPage();
    FillOptionPage();
    FillSystemPage();
    FillUninstallPage();
    timer_->start(RefreshMilliseconds);
    tmrSysInfo_Timer();
    const QString key = versionTab ? QStringLiteral("Version") : modUtil::ReadString("About", "SelectedTab", "Version");
    const int index = std::max<qsizetype>(0, TabKeys.indexOf(key));
    tabs_->setCurrentIndex(index);
    tbsAbout_Click();
    // Placed once its pages are filled, so that the first opening is centred by its real size.
    modControl::RestoreDialogPosition(this);
}

void frmAbout::FillVersionPage()
{
    QWidget* page = pages_[0];
    auto* form = new QVBoxLayout(page);
    form->addWidget(addLabel(page, "picIcon"));
    auto* url = addLabel(page, "lblAppURL", ProgramInfo::HomePage());
    url->setCursor(Qt::PointingHandCursor);
    url->installEventFilter(this);
    form->addWidget(addLabel(page, "lblAppTitle", Title() + " - Table Comparison"));
    form->addWidget(addLabel(page, "lblAppVersion",
                             QStringLiteral("Version %1.%2 Rev. %3").arg(tallir::VersionMajor).arg(tallir::VersionMinor).arg(tallir::VersionRevision)));
    form->addWidget(addLabel(page, "lblAppDescription", Title() + " 2026 the Tallir developers"));
    form->addWidget(addLabel(page, "lblAppComments", QStringLiteral("Compares two text tables of numbers cell by cell.")));
    form->addWidget(addLabel(page, "lblWinVersion"));
    form->addWidget(url);
    form->addStretch();
}

void frmAbout::FillOptionPage()
{
    QWidget* page = pages_[1];
    auto* form = new QVBoxLayout(page);
    form->addWidget(addLabel(page, "lblOption", QStringLiteral("Command line options")));
    option_ = new QPlainTextEdit(page);
    option_->setObjectName(QStringLiteral("txtOption"));
    option_->setReadOnly(true);
    QStringList lines = ProgramInfo::UsageLines();
    if (!lines.isEmpty())
        lines[0] = QFileInfo(QApplication::applicationFilePath()).completeBaseName() + ' ' + lines[0];
    option_->setPlainText(lines.join('\n'));
    form->addWidget(option_);
}

void frmAbout::FillSystemPage()
{
    const platform::SystemFacts facts = platform::Platform().systemFacts();
    label("lblWinVersion")->setText(AboutText::SystemVersion(facts));
    QWidget* page = pages_[2];
    auto* form = new QFormLayout(page);
    const QScreen* screen = this->screen();
    const QSize size = screen ? screen->size() : QSize();
    const int depth = screen ? screen->depth() : 0;
    const std::pair<const char*, QString> rows[] = {
        {"CPU", AboutText::Processor(facts)},
        {"Resolution", QStringLiteral("%1 x %2 dots").arg(size.width()).arg(size.height())},
        {"Colors", AboutText::Colors(1, depth)},
        {"Mouse", modUtil::ReadSystemIni("boot.description", "mouse.drv", "")},
        {"Network", modUtil::ReadSystemIni("boot.description", "network.drv", "")},
        {"Language", modUtil::ReadSystemIni("boot.description", "language.dll", "")},
        {"Keyboard", modUtil::ReadSystemIni("boot.description", "keyboard.typ", "")},
    };
    for (const auto& [title, value] : rows) {
        const QString name = QStringLiteral("lbl") + QLatin1String(title);
        form->addRow(addLabel(page, name + "0", QLatin1String(title)), addLabel(page, name + "1", value));
    }
    auto* info = new QPushButton(QStringLiteral("MS Info..."), page);
    info->setObjectName(QStringLiteral("cmdMSInfo"));
    connect(info, &QPushButton::clicked, this, &frmAbout::cmdMSInfo_Click);
    form->addRow(info);
}

void frmAbout::FillUninstallPage()
{
    QWidget* page = pages_[4];
    auto* form = new QVBoxLayout(page);
    form->addWidget(addLabel(page, "lblUninstall0", "Press OK to remove " + Title() + ".ini"));
    form->addWidget(addLabel(page, "lblUninstall1",
                             "(" + QString::fromStdString(tallir::AbbreviatePath(modUtil::SettingsPath().toStdString(), 50)) + ")"));
    form->addWidget(addLabel(page, "lblUninstall2", "and exit " + Title() + "."));
    form->addStretch();

    // The memory page is built here too, with its bars.
    QWidget* memory = pages_[3];
    auto* grid = new QGridLayout(memory);
    grid->addWidget(addLabel(memory, "lblMemory0", QStringLiteral("Physical available")), 0, 0);
    grid->addWidget(addLabel(memory, "lblMemory1"), 0, 1);
    const char* const names[] = {"Physical available", "Virtual available", "Page file available"};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(addLabel(memory, QStringLiteral("lblMemorySlide%1").arg(i), QLatin1String(names[i])), i + 1, 0);
        bars_[std::size_t(i)] = new QProgressBar(memory);
        bars_[std::size_t(i)]->setObjectName(QStringLiteral("pgbMemory%1").arg(i));
        bars_[std::size_t(i)]->setRange(0, BarSteps);
        bars_[std::size_t(i)]->setTextVisible(false);
        grid->addWidget(bars_[std::size_t(i)], i + 1, 1);
    }
}

void frmAbout::tmrSysInfo_Timer()
{
    const platform::MemoryStatus memory = platform::Platform().systemFacts().memory;
    label("lblMemory1")->setText(AboutText::KiloBytes(memory.availablePhysical));
    const std::pair<std::uint64_t, std::uint64_t> figures[] = {
        {memory.availablePhysical, memory.totalPhysical},
        {memory.availableVirtual, memory.totalVirtual},
        {memory.availablePageFile, memory.totalPageFile},
    };
    for (int i = 0; i < 3; ++i) {
        const auto bar = AboutText::MemoryBar(figures[i].first, figures[i].second);
        bars_[std::size_t(i)]->setValue(int(std::lround(bar.value * BarSteps)));
        bars_[std::size_t(i)]->setToolTip(bar.toolTip);
    }
}

QString frmAbout::SelectedKey() const
{
    return TabKeys.value(tabs_->currentIndex());
}

void frmAbout::tbsAbout_Click()
{
    modTabstrip::ShowTabPage(tabs_, pages_);
    // Enter presses OK on every tab but "Uninstall", where only a click starts the removal.
    const bool uninstall = SelectedKey() == QLatin1String("Uninstall");
    ok_->setDefault(!uninstall);
    ok_->setAutoDefault(!uninstall);
}

void frmAbout::Form_KeyDown(int keyCode, int shift)
{
    modTabstrip::SelectNextTab(tabs_, keyCode, shift);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        const int shift = (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) | (modifiers & Qt::AltModifier ? 4 : 0);
        if (key->key() == Qt::Key_Tab && shift == 2) {
            Form_KeyDown(9, shift);
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease && watched == label("lblAppURL")) {
        lblAppURL_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmAbout::cmdOK_Click()
{
    const QString key = SelectedKey();
    if (key != QLatin1String("Uninstall")) {
        modUtil::WriteString("About", "SelectedTab", key);
        accept();
        return;
    }
    if (platform::Platform().messageBox({QStringLiteral("Are you sure ?"), platform::Buttons::YesNo, platform::Icon::Question,
                                         Title(), platform::Answer::No},
                                        this)
        != platform::Answer::Yes)
        return;
    const QString settings = modUtil::SettingsPath();
    if (QFileInfo::exists(settings))
        QFile::remove(settings);
    platform::MsgBox("If manually installed, remove the installed folder to uninstall " + Title() + ".",
                     platform::Buttons::Ok, platform::Icon::Information, {}, this);
    platform::Platform().endProgram(0);
}

void frmAbout::cmdMSInfo_Click()
{
    const QString program = modUtil::ReadRegistryString("HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Shared Tools\\MSInfo", "Path");
    if (program.isEmpty() || !platform::Platform().openUrl(QUrl::fromLocalFile(program)))
        platform::MsgBox(QStringLiteral("MS Info is not available on this PC."), platform::Buttons::Ok,
                         platform::Icon::Information, {}, this);
}

void frmAbout::lblAppURL_Click()
{
    const QString address = ProgramInfo::HomePage();
    if (!address.isEmpty())
        platform::Platform().openUrl(QUrl(address));
    cmdOK_Click();
}

void frmAbout::done(int result)
{
    modControl::SaveDialogPosition(this);
    timer_->stop();
    QDialog::done(result);
}

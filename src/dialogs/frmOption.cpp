#include "frmOption.h"

#include "platform/PlatformServices.h"
#include "settings/KeyFilter.h"
#include "settings/modControl.h"
#include "settings/modUtil.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <cmath>

frmOption::frmOption(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("Option"));

    frame1_ = new QGroupBox(QStringLiteral("Precision"), this);
    place(frame1_, 120, 120, 2295, 975);
    check1_ = new QCheckBox(QStringLiteral("Regard as the Same"), frame1_);
    check1_->setObjectName(QStringLiteral("Check1"));
    place(check1_, 120, 240, 2055, 255);
    label1_ = new QLabel(QStringLiteral("with Precision"), frame1_);
    label1_->setObjectName(QStringLiteral("Label1"));
    place(label1_, 360, 630, 1080, 180);
    text1_ = new QLineEdit(frame1_);
    text1_->setObjectName(QStringLiteral("Text1"));
    place(text1_, 1560, 600, 375, 270);
    text1_->setAlignment(Qt::AlignRight);
    InstallKeyFilter(text1_, QString());
    text1_->installEventFilter(this);
    // The spin control: two arrows beside the number.
    up_ = new QToolButton(frame1_);
    up_->setArrowType(Qt::UpArrow);
    place(up_, 1920, 600, 240, 135);
    down_ = new QToolButton(frame1_);
    down_->setArrowType(Qt::DownArrow);
    place(down_, 1920, 735, 240, 135);
    up_->setObjectName(QStringLiteral("UpDown1Up"));
    down_->setObjectName(QStringLiteral("UpDown1Down"));
    connect(up_, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });

    // Under the precision controls: two different numbers at most this far apart are "S" too.
    label2_ = new QLabel(QStringLiteral("Absolute tolerance"), this);
    label2_->setObjectName(QStringLiteral("Label2"));
    place(label2_, 240, 1710, 1560, 210);
    text2_ = new QLineEdit(this);
    text2_->setObjectName(QStringLiteral("Text2"));
    text2_->setPlaceholderText(QStringLiteral("none"));
    text2_->setToolTip(QStringLiteral("Two different numbers at most this far apart are regarded as the same (\"S\"); "
                                      "empty for none"));
    place(text2_, 1800, 1680, 615, 270);
    text2_->setAlignment(Qt::AlignRight);
    InstallKeyFilter(text2_, QStringLiteral("0123456789+-eE\b") + QLocale().decimalPoint() + '.');

    check3_ = new QCheckBox(QStringLiteral("Read &CSV"), this);
    check3_->setObjectName(QStringLiteral("Check3"));
    check3_->setToolTip(QStringLiteral("Only commas separate; double quotes enclose a field, \"\" inside is one quote"));
    place(check3_, 2640, 1710, 1575, 255);
    // What else reads as a number: NaN and infinities; Fortran's D exponents.
    check4_ = new QCheckBox(QStringLiteral("Read &NaN and Inf as numbers"), this);
    check4_->setObjectName(QStringLiteral("Check4"));
    check4_->setToolTip(QStringLiteral("nan, inf and infinity in any case are numbers: equal to their own kind, \"D\" against any other"));
    place(check4_, 240, 2040, 3900, 255);
    check5_ = new QCheckBox(QStringLiteral("Read D e&xponents (1.5D+02)"), this);
    check5_->setObjectName(QStringLiteral("Check5"));
    check5_->setToolTip(QStringLiteral("D or d marks an exponent as E does, as Fortran programs write it"));
    place(check5_, 240, 2340, 3900, 255);

    check2_ = new QCheckBox(QStringLiteral("Immediate Compare"), this);
    check2_->setObjectName(QStringLiteral("Check2"));
    place(check2_, 240, 1320, 1815, 255);

    frame2_ = new QGroupBox(QStringLiteral("Window Arrange"), this);
    place(frame2_, 2520, 120, 1695, 1515);
    const char* const arrangements[] = {"Cascade", "Tile Horizontal", "Tile Vertical", "Do Nothing"};
    const int tops[] = {240, 540, 840, 1200};
    for (int i = 0; i < 4; ++i) {
        option1_[std::size_t(i)] = new QRadioButton(QLatin1String(arrangements[i]), frame2_);
        place(option1_[std::size_t(i)], 120, tops[i], 1455, 225);
    }

    const char* const buttons[] = {"OK", "Cancel", "Default..."};
    const int buttonTops[] = {240, 720, 1320};
    for (int i = 0; i < 3; ++i) {
        command1_[std::size_t(i)] = new QPushButton(QLatin1String(buttons[i]), this);
        place(command1_[std::size_t(i)], 4440, buttonTops[i], 1095, 375);
        connect(command1_[std::size_t(i)], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    command1_[0]->setDefault(true);
    layOut();
    Form_Load();
}

QRect frmOption::Twips(int left, int top, int width, int height) const
{
    const double tx = modControl::TwipsPerPixelX(this);
    const double ty = modControl::TwipsPerPixelY(this);
    return QRect(int(std::lround(left / tx)), int(std::lround(top / ty)), int(std::lround(width / tx)),
                 int(std::lround(height / ty)));
}

void frmOption::place(QWidget* control, int left, int top, int width, int height)
{
    places_.push_back({control, QRect(left, top, width, height)});
}

void frmOption::layOut()
{
    // The places are made for a font other than this desktop's: where a caption needs more
    // room, the whole dialog is stretched by the same factor, so that every control fits its
    // text and keeps its order and alignment.
    double stretchX = 1;
    double stretchY = 1;
    for (const auto& [control, twips] : places_) {
        const QRect natural = Twips(twips.left(), twips.top(), twips.width(), twips.height());
        if (qobject_cast<QLineEdit*>(control) || qobject_cast<QToolButton*>(control))
            continue; // no caption of their own
        const QSize needed = control->sizeHint();
        stretchX = std::max(stretchX, double(needed.width()) / std::max(1, natural.width()));
        stretchY = std::max(stretchY, double(needed.height()) / std::max(1, natural.height()));
    }
    auto scaled = [&](const QRect& twips) {
        const QRect natural = Twips(twips.left(), twips.top(), twips.width(), twips.height());
        const int left = int(std::lround(natural.left() * stretchX));
        const int top = int(std::lround(natural.top() * stretchY));
        return QRect(left, top, int(std::lround((natural.left() + natural.width()) * stretchX)) - left,
                     int(std::lround((natural.top() + natural.height()) * stretchY)) - top);
    };
    for (const auto& [control, twips] : places_)
        control->setGeometry(scaled(twips));
    setFixedSize(scaled(QRect(0, 0, 5655, 2700)).size());
}

void frmOption::Form_Load()
{
    modControl::RestoreDialogPosition(this);
    auto checkState = [](qint16 value) {
        // 2 shows the box greyed, and OK writes it back as it was.
        return value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
    };
    const qint16 same = modUtil::ReadInteger("Option", "PrecisionSame", 0);
    check1_->setTristate(same == 2);
    check1_->setCheckState(checkState(same));
    text1_->setText(modUtil::DoubleToText(modUtil::ReadDouble("Option", "PrecisionLog", 10)));
    const qint16 immediate = modUtil::ReadInteger("Option", "ImmediateCompare", 0);
    check2_->setTristate(immediate == 2);
    check2_->setCheckState(checkState(immediate));
    text2_->setText(modUtil::ReadString("Option", "AbsoluteTolerance", QString()));
    check3_->setChecked(modUtil::ReadInteger("Option", "CsvMode", 0) == 1);
    check4_->setChecked(modUtil::ReadInteger("Option", "NanInf", 0) == 1);
    check5_->setChecked(modUtil::ReadInteger("Option", "ExponentD", 0) == 1);
    const qint16 arrange = modUtil::ReadInteger("Option", "WindowArrange", 2);
    option1_[std::size_t(arrange >= 0 && arrange <= 3 ? arrange : 2)]->setChecked(true);
}

int frmOption::SelectedOptionIndex(const std::array<QRadioButton*, 4>& options)
{
    for (std::size_t i = 0; i < options.size(); ++i)
        if (options[i]->isChecked())
            return int(i);
    return -1;
}

void frmOption::Step(int direction)
{
    bool ok = false;
    const double value = QLocale().toDouble(text1_->text(), &ok);
    if (!ok)
        return; // a box whose text is no number does not step
    if (direction > 0 && value < SpinMax)
        text1_->setText(modUtil::DoubleToText(value + 1));
    else if (direction < 0 && value > SpinMin)
        text1_->setText(modUtil::DoubleToText(value - 1));
}

void frmOption::Command1_Click(int index)
{
    auto checkText = [](const QCheckBox* box) {
        return QString::number(box->checkState() == Qt::Checked ? 1 : box->checkState() == Qt::PartiallyChecked ? 2 : 0);
    };
    switch (index) {
    case 0:
        // An unreadable tolerance is refused here and never written.
        if (!modUtil::ToleranceTextAccepted(text2_->text())) {
            platform::MsgBox(QStringLiteral("The absolute tolerance must be a number of 0 or more, or empty for none."),
                             platform::Buttons::Ok, platform::Icon::Exclamation, {}, this);
            text2_->setFocus();
            return;
        }
        modUtil::WriteString("Option", "PrecisionSame", checkText(check1_));
        // The number as shown; never a text that is not one, however it got into the box.
        if (modUtil::TextIsNumber(text1_->text()))
            modUtil::WriteString("Option", "PrecisionLog", text1_->text());
        modUtil::WriteString("Option", "ImmediateCompare", checkText(check2_));
        modUtil::WriteString("Option", "WindowArrange", QString::number(SelectedOptionIndex(option1_)));
        modUtil::WriteString("Option", "AbsoluteTolerance", text2_->text().trimmed());
        modUtil::WriteString("Option", "CsvMode", check3_->isChecked() ? "1" : "0");
        modUtil::WriteString("Option", "NanInf", check4_->isChecked() ? "1" : "0");
        modUtil::WriteString("Option", "ExponentD", check5_->isChecked() ? "1" : "0");
        accept();
        break;
    case 1:
        reject();
        break;
    case 2:
        if (platform::Platform().messageBox({QStringLiteral("Take default options ?"), platform::Buttons::YesNo,
                                             platform::Icon::Question, QStringLiteral("Tallir"), platform::Answer::No},
                                            this)
            == platform::Answer::Yes) {
            check1_->setTristate(false);
            check1_->setCheckState(Qt::Unchecked);
            text1_->setText(QStringLiteral("10"));
            check2_->setTristate(false);
            check2_->setCheckState(Qt::Unchecked);
            option1_[2]->setChecked(true);
            text2_->clear();
            check3_->setChecked(false);
            check4_->setChecked(false);
            check5_->setChecked(false);
        }
        break;
    default:
        break;
    }
}

bool frmOption::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == text1_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmOption::closeEvent(QCloseEvent* event)
{
    // The title bar's close is Cancel.
    Command1_Click(1);
    event->accept();
}

void frmOption::done(int result)
{
    modControl::SaveDialogPosition(this);
    QDialog::done(result);
}

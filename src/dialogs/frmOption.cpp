#include "frmOption.h"

#include "platform/PlatformServices.h"
#include "settings/KeyFilter.h"
#include "settings/modControl.h"
#include "settings/modUtil.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QRadioButton>
#include <QToolButton>
#include <cmath>
#include <tuple>

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
    std::tie(label2_, text2_) = toleranceBox(QStringLiteral("Absolute tolerance"), 2, 1680,
                                             QStringLiteral("Two different numbers at most this far apart are regarded as "
                                                            "the same (\"S\"); empty for none"));

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

    // The relative tolerance and what it is a share of; then columns with tolerances of their own.
    std::tie(label3_, text3_) = toleranceBox(QStringLiteral("Relative tolerance"), 3, 2700,
                                             QStringLiteral("Two different numbers are regarded as the same (\"S\") when "
                                                            "|x2 - x1| is at most this share of the reference; empty for none"));
    label4_ = new QLabel(QStringLiteral("of"), this);
    label4_->setObjectName(QStringLiteral("Label4"));
    place(label4_, 2640, 2730, 300, 210);
    combo1_ = new QComboBox(this);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    for (const tallir::RelativeTo to : {tallir::RelativeTo::File1, tallir::RelativeTo::File2, tallir::RelativeTo::Max, tallir::RelativeTo::Min})
        combo1_->addItem(QString::fromUtf8(tallir::ReferenceText(to)), QString::fromUtf8(tallir::RelativeToName(to)));
    combo1_->setToolTip(QStringLiteral("|x1| is File 1's number, |x2| File 2's"));
    place(combo1_, 2940, 2700, 1275, 270);
    label5_ = new QLabel(QStringLiteral("Tolerances of single columns (by number from 1, or by name)"), this);
    label5_->setObjectName(QStringLiteral("Label5"));
    place(label5_, 240, 3090, 3975, 210);
    grid1_ = new QTableWidget(0, 3, this);
    grid1_->setObjectName(QStringLiteral("Grid1"));
    grid1_->setHorizontalHeaderLabels({QStringLiteral("Column"), QStringLiteral("Absolute"), QStringLiteral("Relative")});
    grid1_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid1_->verticalHeader()->setVisible(false);
    grid1_->setToolTip(QStringLiteral("A column's own tolerance replaces the one above of its kind there; "
                                      "leave a row's column empty to drop it"));
    connect(grid1_, &QTableWidget::cellChanged, this, [this](int row, int) {
        // A blank row stays last, for the next column.
        if (row == grid1_->rowCount() - 1 && grid1_->item(row, 0) && !grid1_->item(row, 0)->text().trimmed().isEmpty())
            grid1_->insertRow(grid1_->rowCount());
    });
    place(grid1_, 240, 3330, 3975, 1290);

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

std::pair<QLabel*, QLineEdit*> frmOption::toleranceBox(const QString& caption, int number, int top, const QString& tip)
{
    auto* label = new QLabel(caption, this);
    label->setObjectName(QStringLiteral("Label%1").arg(number));
    place(label, 240, top + 30, 1560, 210);
    auto* box = new QLineEdit(this);
    box->setObjectName(QStringLiteral("Text%1").arg(number));
    box->setPlaceholderText(QStringLiteral("none"));
    box->setToolTip(tip);
    place(box, 1800, top, 615, 270);
    box->setAlignment(Qt::AlignRight);
    // Digits, sign, point and exponent: what a number is typed with.
    InstallKeyFilter(box, QStringLiteral("0123456789+-eE\b") + QLocale().decimalPoint() + '.');
    return {label, box};
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
        if (qobject_cast<QLineEdit*>(control) || qobject_cast<QToolButton*>(control) || control == grid1_
            || control == combo1_)
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
    setFixedSize(scaled(QRect(0, 0, 5655, 4740)).size());
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
    text3_->setText(modUtil::ReadString("Option", "RelativeTolerance", QString()));
    combo1_->setCurrentIndex(std::max(0, combo1_->findData(QString::fromUtf8(tallir::RelativeToName(modUtil::ReadRelativeTo())))));
    showColumnTolerances(modUtil::ReadString("Option", "ColumnTolerances", QString()));
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

void frmOption::showColumnTolerances(const QString& text)
{
    const auto tolerances = tallir::ParseColumnTolerances(text.toStdString()).value_or(std::vector<tallir::ColumnToleranceText>());
    const QSignalBlocker quiet(grid1_);
    grid1_->setRowCount(0);
    auto number = [](const std::optional<double>& value) { return value ? modUtil::DoubleToText(*value) : QString(); };
    for (const tallir::ColumnToleranceText& own : tolerances) {
        const int row = grid1_->rowCount();
        grid1_->insertRow(row);
        grid1_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(own.column)));
        grid1_->setItem(row, 1, new QTableWidgetItem(number(own.absolute)));
        grid1_->setItem(row, 2, new QTableWidgetItem(number(own.relative)));
    }
    grid1_->insertRow(grid1_->rowCount());
}

std::optional<QString> frmOption::columnTolerancesText()
{
    std::vector<tallir::ColumnToleranceText> tolerances;
    auto text = [this](int row, int col) { return grid1_->item(row, col) ? grid1_->item(row, col)->text().trimmed() : QString(); };
    auto refuse = [this](int row, int col, const QString& problem) {
        platform::MsgBox(QStringLiteral("Tolerances of single columns, row %1: %2").arg(row + 1).arg(problem), platform::Buttons::Ok,
                         platform::Icon::Exclamation, {}, this);
        grid1_->setCurrentCell(row, col);
        grid1_->setFocus();
        return std::nullopt;
    };
    for (int row = 0; row < grid1_->rowCount(); ++row) {
        const QString column = text(row, 0);
        if (column.isEmpty())
            continue; // a row without its column is dropped
        if (column.contains(QRegularExpression(QStringLiteral("[:;,=]"))))
            return refuse(row, 0, QStringLiteral("a column is a number from 1 or a name without : ; , or ="));
        tallir::ColumnToleranceText own{column.toStdString(), {}, {}};
        for (const int col : {1, 2}) {
            const QString value = text(row, col);
            if (value.isEmpty())
                continue;
            const auto number = modUtil::ToleranceValue(value);
            if (!number)
                return refuse(row, col, QStringLiteral("the tolerance must be a number of 0 or more, or empty."));
            (col == 1 ? own.absolute : own.relative) = number;
        }
        if (!own.absolute && !own.relative)
            return refuse(row, 1, QStringLiteral("give an absolute or a relative tolerance, or empty the column."));
        tolerances.push_back(std::move(own));
    }
    return QString::fromStdString(tallir::ColumnTolerancesText(tolerances));
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
    case 0: {
        // An unreadable tolerance is refused here and never written.
        if (!modUtil::ToleranceTextAccepted(text2_->text())) {
            platform::MsgBox(QStringLiteral("The absolute tolerance must be a number of 0 or more, or empty for none."),
                             platform::Buttons::Ok, platform::Icon::Exclamation, {}, this);
            text2_->setFocus();
            return;
        }
        if (!modUtil::ToleranceTextAccepted(text3_->text())) {
            platform::MsgBox(QStringLiteral("The relative tolerance must be a number of 0 or more, or empty for none."),
                             platform::Buttons::Ok, platform::Icon::Exclamation, {}, this);
            text3_->setFocus();
            return;
        }
        const auto columns = columnTolerancesText();
        if (!columns)
            return;
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
        modUtil::WriteString("Option", "RelativeTolerance", text3_->text().trimmed());
        modUtil::WriteString("Option", "RelativeTo", combo1_->currentData().toString());
        modUtil::WriteString("Option", "ColumnTolerances", *columns);
        accept();
        break;
    }
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
            text3_->clear();
            combo1_->setCurrentIndex(0);
            showColumnTolerances(QString());
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

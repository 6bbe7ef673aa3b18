#include "frmAlign.h"

#include "settings/modUtil.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

frmAlign::frmAlign(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAlign"));
    setWindowTitle(QStringLiteral("Align Rows"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Pair the rows of the two files:"), this));
    const char* const captions[] = {"&Off: by their place in the files", "By &key columns:", "By &identical rows"};
    for (int way = 0; way < 3; ++way) {
        ways_[way] = new QRadioButton(QString::fromLatin1(captions[way]), this);
        layout->addWidget(ways_[way]);
        if (way == 1) {
            keys_ = new QLineEdit(this);
            keys_->setPlaceholderText(QStringLiteral("columns, like 1 or 1,3 or a name"));
            layout->addWidget(keys_);
            auto* within = new QHBoxLayout;
            within->addWidget(new QLabel(QStringLiteral("Numeric keys may differ by"), this));
            keyTolerance_ = new QLineEdit(this);
            keyTolerance_->setObjectName(QStringLiteral("KeyTolerance"));
            keyTolerance_->setPlaceholderText(QStringLiteral("0"));
            keyTolerance_->setToolTip(QStringLiteral("Key values at most this far apart pair (the nearest one); empty for exact keys"));
            within->addWidget(keyTolerance_);
            layout->addLayout(within);
        }
    }
    problem_ = new QLabel(this);
    problem_->hide();
    layout->addWidget(problem_);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &frmAlign::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &frmAlign::reject);
    connect(ways_[1], &QRadioButton::toggled, keys_, &QLineEdit::setEnabled);
    connect(ways_[1], &QRadioButton::toggled, keyTolerance_, &QLineEdit::setEnabled);

    const int way = modUtil::ReadInteger("Option", "AlignRows", 0);
    ways_[way >= 0 && way <= 2 ? way : 0]->setChecked(true);
    keys_->setText(modUtil::ReadString("Option", "KeyColumns", "1"));
    keyTolerance_->setText(modUtil::ReadString("Option", "KeyTolerance", QString()));
    keys_->setEnabled(ways_[1]->isChecked());
    keyTolerance_->setEnabled(ways_[1]->isChecked());
}

void frmAlign::accept()
{
    const int way = ways_[1]->isChecked() ? 1 : ways_[2]->isChecked() ? 2 : 0;
    // Numbers now; names only once a file's names line is there to find them in.
    const QStringList items = keys_->text().split(',');
    if (way == 1 && std::any_of(items.begin(), items.end(), [](const QString& item) { return item.trimmed().isEmpty(); })) {
        problem_->setText(QStringLiteral("Give the key columns by number or name, like 1 or 1,3 or time."));
        problem_->show();
        keys_->setFocus();
        return;
    }
    if (way == 1 && !modUtil::ToleranceTextAccepted(keyTolerance_->text())) {
        problem_->setText(QStringLiteral("The keys' tolerance must be a number of 0 or more, or empty for exact keys."));
        problem_->show();
        keyTolerance_->setFocus();
        return;
    }
    modUtil::WriteString("Option", "AlignRows", QString::number(way));
    if (way == 1) {
        modUtil::WriteString("Option", "KeyColumns", keys_->text().simplified());
        modUtil::WriteString("Option", "KeyTolerance", keyTolerance_->text().trimmed());
    }
    QDialog::accept();
}

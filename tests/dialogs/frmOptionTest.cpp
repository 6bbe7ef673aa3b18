#include "dialogs/frmOption.h"
#include "support/FakePlatform.h"
#include "support/TempFolder.h"

#include "settings/modUtil.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QComboBox>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// The dialog with its settings in a folder of their own and the platform services faked.
class OptionDialog : public testing::Test {
protected:
    const TempFolder folder;
    FakePlatform fake;
};

} // namespace

TEST_F(OptionDialog, FirstRunDefaultsArrowsAndRefusedTyping)
{
    frmOption dialog;
    EXPECT_EQ(std::tuple(dialog.windowTitle(), dialog.Check1()->checkState(), dialog.Text1()->text(), dialog.Check2()->checkState(),
                         dialog.Option1(2)->isChecked()),
              std::tuple(QString("Option"), Qt::Unchecked, QString("10"), Qt::Unchecked, true));

    dialog.show();
    QTest::keyClick(dialog.Text1(), Qt::Key_7);
    QTest::keyClick(dialog.Text1(), Qt::Key_Backspace);
    EXPECT_EQ(std::tuple(dialog.Text1()->text(), fake.beeps), std::tuple("10", 2));
    struct Case { const char* start; Qt::Key key; const char* after; };
    const std::vector<Case> cases = {
        {"14", Qt::Key_Up, "15"}, {"15", Qt::Key_Up, "15"}, {"3", Qt::Key_Down, "2"},
        {"2", Qt::Key_Down, "2"}, {"14.5", Qt::Key_Up, "15.5"}, {"junk", Qt::Key_Up, "junk"},
    };
    for (const auto& c : cases) {
        dialog.Text1()->setText(c.start);
        QTest::keyClick(dialog.Text1(), c.key);
        EXPECT_EQ(dialog.Text1()->text(), c.after) << c.start;
    }
    dialog.Text1()->setText("15");
    for (const auto& [arrow, after] : {std::pair{+1, "15"}, {-1, "14"}}) {
        dialog.UpDown1(arrow)->click();
        EXPECT_EQ(dialog.Text1()->text(), after) << arrow;
    }
    EXPECT_EQ(fake.beeps, 2) << "arrows do not beep";
}

TEST_F(OptionDialog, OkWritesCancelDoesNotDefaultAsks)
{
    folder.write("Tallir.ini", "[Option]\nPrecisionSame=1\nPrecisionLog=12.5\nImmediateCompare=1\nWindowArrange=0\n");
    const QByteArray before = folder.read("Tallir.ini");
    {
        frmOption dialog;
        EXPECT_EQ(std::tuple(dialog.Check1()->checkState(), dialog.Text1()->text(), dialog.Option1(0)->isChecked()),
                  std::tuple(Qt::Checked, QString("12.5"), true));
        fake.answers = {platform::Answer::Yes};
        dialog.Command1_Click(2);
        ASSERT_EQ(fake.messages.size(), 1u);
        const platform::MessageBoxRequest& asked = fake.messages[0];
        EXPECT_EQ(std::tuple(asked.text, asked.icon, asked.buttons, asked.defaultButton),
                  std::tuple(QString("Take default options ?"), platform::Icon::Question, platform::Buttons::YesNo,
                             std::optional(platform::Answer::No)));
        EXPECT_EQ(dialog.Text1()->text(), "10");
        dialog.Command1_Click(1);
    }
    EXPECT_TRUE(folder.read("Tallir.ini").startsWith(before)) << "Default... then Cancel changes no option";
    {
        frmOption dialog;
        fake.answers = {platform::Answer::No};
        dialog.Command1_Click(2);
        EXPECT_EQ(dialog.Text1()->text(), "12.5") << "No keeps what is shown";
        fake.answers = {platform::Answer::Yes};
        dialog.Command1_Click(2);
        dialog.Command1_Click(0);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_TRUE(folder.read("Tallir.ini").startsWith("[Option]\nPrecisionSame=0\nPrecisionLog=10\nImmediateCompare=0\nWindowArrange=2\n"));
    EXPECT_TRUE(folder.read("Tallir.ini").contains("[frmOption]\nLeft="));

    // The title bar's close is Cancel.
    frmOption dialog;
    dialog.show();
    dialog.Check1()->setChecked(true);
    dialog.close();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(folder.read("Tallir.ini").startsWith("[Option]\nPrecisionSame=0\n"));
}

TEST_F(OptionDialog, EveryCaptionFitsInItsOrderAndTheBoxTakesNothingButArrows)
{
    frmOption dialog;
    dialog.show();
    // Every control as wide and high as its caption needs in this desktop's font.
    for (QWidget* control : dialog.findChildren<QWidget*>()) {
        if (!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QLabel*>(control) && !qobject_cast<QGroupBox*>(control))
            continue;
        if (qobject_cast<QToolButton*>(control))
            continue;
        EXPECT_GE(control->width(), control->sizeHint().width()) << control->objectName().toStdString() << " "
                                                                  << control->property("text").toString().toStdString();
        EXPECT_GE(control->height(), control->sizeHint().height()) << control->objectName().toStdString();
        EXPECT_TRUE(dialog.rect().contains(QRect(control->mapTo(&dialog, QPoint(0, 0)), control->size())))
            << control->objectName().toStdString() << " inside the dialog";
    }
    // No control covers another.
    const auto controls = dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* one : controls)
        for (QWidget* other : controls)
            if (one != other && one->isVisible() && other->isVisible())
                EXPECT_FALSE(one->geometry().intersects(other->geometry()))
                    << one->objectName().toStdString() << " and " << other->objectName().toStdString();
    // In the same order: the precision frame, the arrangement frame, the buttons, left to right.
    const auto right = [&](QWidget* w) { return w->mapTo(&dialog, QPoint(w->width(), 0)).x(); };
    const auto left = [&](QWidget* w) { return w->mapTo(&dialog, QPoint(0, 0)).x(); };
    EXPECT_LE(right(dialog.Check1()->parentWidget()), left(dialog.Option1(0)->parentWidget()));
    EXPECT_LE(right(dialog.Option1(0)->parentWidget()), left(dialog.Command1(0)));
    EXPECT_LE(right(dialog.findChild<QLabel*>("Label1")), left(dialog.Text1()));

    // Pasting, cutting, undoing, deleting a word and the editor's Emacs keys are typing too:
    // refused with a beep (a paste beeps for each character it holds).
    QApplication::clipboard()->setText("word");
    const int beeps = fake.beeps;
    for (auto [key, modifiers] : {std::pair{Qt::Key_V, Qt::ControlModifier}, {Qt::Key_X, Qt::ControlModifier},
                                  {Qt::Key_Z, Qt::ControlModifier}, {Qt::Key_Backspace, Qt::ControlModifier},
                                  {Qt::Key_Insert, Qt::ShiftModifier}, {Qt::Key_K, Qt::ControlModifier}}) {
        dialog.Text1()->selectAll();
        QTest::keyClick(dialog.Text1(), key, modifiers);
        EXPECT_EQ(dialog.Text1()->text(), "10") << QKeySequence(key | modifiers).toString().toStdString();
    }
    EXPECT_EQ(fake.beeps, beeps + 4 + 1 + 1 + 1 + 4 + 1);
    QApplication::clipboard()->setText("word", QClipboard::Selection);
    QTest::mouseClick(dialog.Text1(), Qt::MiddleButton);
    EXPECT_EQ(dialog.Text1()->text(), "10") << "the middle button pastes nothing";

    // Tab moves on, Esc cancels, Enter presses OK; none of them beeps.
    const int before = fake.beeps;
    dialog.Text1()->setFocus();
    QTest::keyClick(dialog.Text1(), Qt::Key_Tab);
    EXPECT_FALSE(dialog.Text1()->hasFocus());
    EXPECT_EQ(fake.beeps, before);
    dialog.Text1()->setFocus();
    dialog.Text1()->setText("12");
    QTest::keyClick(dialog.Text1(), Qt::Key_Return);
    EXPECT_EQ(std::tuple(dialog.result(), modUtil::ReadString("Option", "PrecisionLog", "")), std::tuple(QDialog::Accepted, "12"));

    frmOption again;
    again.show();
    again.Text1()->setText("word"); // however it got there, it is never written
    QTest::keyClick(again.Text1(), Qt::Key_Escape);
    EXPECT_EQ(again.result(), QDialog::Rejected);
    frmOption third;
    third.Text1()->setText("word");
    third.Command1_Click(0);
    EXPECT_EQ(modUtil::ReadString("Option", "PrecisionLog", ""), "12");
}

TEST_F(OptionDialog, TheAbsoluteToleranceTakesNumbersOnlyAndRefusesWhatIsNotOne)
{
    folder.write("Tallir.ini", "[Option]\nAbsoluteTolerance=1e-9\n");
    frmOption dialog;
    dialog.show();
    QLineEdit* box = dialog.Text2();
    EXPECT_EQ(box->text(), "1e-9");
    EXPECT_GT(box->mapTo(&dialog, QPoint(0, 0)).y(), dialog.Check1()->mapTo(&dialog, QPoint(0, 0)).y()) << "under the precision";

    // Typed: digits, sign, point and exponent pass; a letter beeps.
    box->clear();
    QTest::keyClicks(box, "2.5e-3x");
    EXPECT_EQ(std::tuple(box->text(), fake.beeps), std::tuple("2.5e-3", 1));
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_EQ(box->text(), "2.5e-");
    // Pasted: character by character through the same filter.
    box->clear();
    QApplication::clipboard()->setText("1.5 kg");
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(std::tuple(box->text(), fake.beeps), std::tuple("1.5", 1 + 3));

    // A text that is no number is refused on OK, with a message, and nothing is written.
    box->setText("1e-");
    dialog.Command1_Click(0);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(std::tuple(fake.messages[0].text, dialog.isVisible(), modUtil::ReadString("Option", "AbsoluteTolerance", "")),
              std::tuple(QString("The absolute tolerance must be a number of 0 or more, or empty for none."), true, QString("1e-9")));
    box->setText("-1");
    dialog.Command1_Click(0);
    EXPECT_EQ(fake.messages.size(), 2u) << "negative";

    // The reading options are written with the rest.
    for (QCheckBox* reading : {dialog.Check3(), dialog.Check4(), dialog.Check5()})
        reading->setChecked(true);
    box->setText("0.5");
    dialog.Command1_Click(0);
    for (const char* key : {"CsvMode", "NanInf", "ExponentD"})
        EXPECT_EQ(modUtil::ReadInteger("Option", key, 0), 1) << key;
    EXPECT_EQ(modUtil::ReadString("Option", "AbsoluteTolerance", ""), "0.5");
    dialog.show();

    // Default... clears both; OK writes the tolerance empty (off).
    fake.answers = {platform::Answer::Yes};
    dialog.Command1_Click(2);
    EXPECT_TRUE(box->text().isEmpty());
    dialog.Command1_Click(0);
    EXPECT_EQ(std::tuple(dialog.result(), modUtil::ReadString("Option", "AbsoluteTolerance", "x"), modUtil::ReadAbsoluteTolerance()),
              std::tuple(int(QDialog::Accepted), QString(""), std::optional<double>()));
    for (const char* key : {"CsvMode", "NanInf", "ExponentD"})
        EXPECT_EQ(modUtil::ReadInteger("Option", key, 1), 0) << key;
}

TEST_F(OptionDialog, TheRelativeToleranceAndTheColumnsOwnAreShownCheckedAndWritten)
{
    const QByteArray stored = "p: r=0.001; 3: a=0.5";
    folder.write("Tallir.ini", "[Option]\nRelativeTolerance=1e-6\nRelativeTo=max\nColumnTolerances=" + stored + "\n");
    frmOption dialog;
    dialog.show();
    EXPECT_EQ(std::pair(dialog.Text3()->text(), dialog.Combo1()->currentText()), std::pair(QString("1e-6"), QString("max(|x1|, |x2|)")));
    QTableWidget* table = dialog.Grid1();
    auto cell = [table](int row, int col) { return table->item(row, col) ? table->item(row, col)->text() : QString(); };
    ASSERT_EQ(table->rowCount(), 3); // and a blank row for the next column
    EXPECT_EQ(QStringList({cell(0, 0), cell(0, 1), cell(0, 2), cell(1, 0), cell(1, 1), cell(1, 2), cell(2, 0)}),
              QStringList({"p", "", "0.001", "3", "0.5", "", ""}));
    table->setItem(2, 0, new QTableWidgetItem("T"));
    EXPECT_EQ(table->rowCount(), 4) << "a column typed in the blank row makes another";

    // What is not a tolerance is refused with a message on OK, and nothing is written.
    const struct { int row, col; const char* text; const char* message; } refused[] = {
        {2, 1, "", "Tolerances of single columns, row 3: give an absolute or a relative tolerance, or empty the column."},
        {2, 1, "-1", "Tolerances of single columns, row 3: the tolerance must be a number of 0 or more, or empty."},
        {2, 2, "1e-", "Tolerances of single columns, row 3: the tolerance must be a number of 0 or more, or empty."},
        {2, 0, "a:b", "Tolerances of single columns, row 3: a column is a number from 1 or a name without : ; , or ="},
    };
    for (const auto& c : refused) {
        table->setItem(c.row, c.col, new QTableWidgetItem(c.text));
        fake.messages.clear();
        dialog.Command1_Click(0);
        ASSERT_EQ(fake.messages.size(), 1u) << c.text;
        EXPECT_EQ(std::tuple(fake.messages[0].text, dialog.isVisible(), table->currentRow()), std::tuple(QString(c.message), true, c.row));
        table->setItem(c.row, c.col, new QTableWidgetItem(c.col == 0 ? "T" : ""));
    }
    dialog.Text3()->setText("-1");
    fake.messages.clear();
    dialog.Command1_Click(0);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "The relative tolerance must be a number of 0 or more, or empty for none.");
    EXPECT_EQ(std::pair(modUtil::ReadString("Option", "ColumnTolerances", ""), modUtil::ReadString("Option", "RelativeTolerance", "")),
              std::pair(QString(stored), QString("1e-6"))) << "nothing written";

    // Written as the settings keep them; a row whose column is emptied is dropped.
    table->setItem(2, 1, new QTableWidgetItem("0.01"));
    table->setItem(0, 0, new QTableWidgetItem(""));
    dialog.Text3()->setText("0");
    dialog.Combo1()->setCurrentIndex(3);
    dialog.Command1_Click(0);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(QStringList({modUtil::ReadString("Option", "ColumnTolerances", ""), modUtil::ReadString("Option", "RelativeTolerance", "x"),
                           modUtil::ReadString("Option", "RelativeTo", "")}),
              QStringList({"3: a=0.5; T: a=0.01", "0", "min"})) << "0 is a tolerance";

    // Default... offers no tolerance, |x1| and no column of its own.
    frmOption again;
    fake.answers = {platform::Answer::Yes};
    again.Command1_Click(2);
    EXPECT_EQ(std::tuple(again.Text3()->text(), again.Combo1()->currentText(), again.Grid1()->rowCount()),
              std::tuple(QString(""), QString("|x1|"), 1));
}

#pragma once
// The options dialog: the precision rule and its digits, the absolute and relative tolerances
// and the columns' own, the reading of files, immediate comparison, and the arrangement at
// start-up. It reads section "Option" when it opens and
// writes it only on OK.

#include <QDialog>
#include <array>
#include <optional>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QTableWidget;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

class frmOption : public QDialog {
    Q_OBJECT
public:
    explicit frmOption(QWidget* parent = nullptr);

    void Command1_Click(int index);
    // The up (+1) and down (-1) steps of the arrow keys and the spin control, within 2 to 15.
    void Step(int direction);
    // The index of the first selected option button, or -1.
    static int SelectedOptionIndex(const std::array<QRadioButton*, 4>& options);

    QCheckBox* Check1() const { return check1_; }
    QCheckBox* Check2() const { return check2_; }
    QCheckBox* Check3() const { return check3_; } // read CSV
    QCheckBox* Check4() const { return check4_; } // NaN and infinities as numbers
    QCheckBox* Check5() const { return check5_; } // D exponents
    QLineEdit* Text1() const { return text1_; }
    QLineEdit* Text2() const { return text2_; } // the absolute tolerance
    QLineEdit* Text3() const { return text3_; } // the relative tolerance
    QComboBox* Combo1() const { return combo1_; } // what the relative one is a share of
    QTableWidget* Grid1() const { return grid1_; } // columns' own: column, absolute, relative
    QRadioButton* Option1(int index) const { return option1_.at(std::size_t(index)); }
    QPushButton* Command1(int index) const { return command1_.at(std::size_t(index)); }
    QToolButton* UpDown1(int direction) const { return direction > 0 ? up_ : down_; }

    static constexpr int SpinMin = 2;
    static constexpr int SpinMax = 15;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void done(int result) override;

private:
    void Form_Load();
    QRect Twips(int left, int top, int width, int height) const;
    // A control's place in twips, applied by layOut once every control exists.
    void place(QWidget* control, int left, int top, int width, int height);
    void layOut();
    // A tolerance's caption and box, numbered as their Label and Text, top in twips.
    std::pair<QLabel*, QLineEdit*> toleranceBox(const QString& caption, int number, int top, const QString& tip);
    // The columns' own tolerances as the table holds them, a blank row last for the next one.
    void showColumnTolerances(const QString& text);
    // The table as the settings write it; empty with a message to the user when a row is not one.
    std::optional<QString> columnTolerancesText();

    std::vector<std::pair<QWidget*, QRect>> places_;

    QGroupBox* frame1_;
    QCheckBox* check1_;
    QLineEdit* text1_;
    QToolButton* up_;
    QToolButton* down_;
    QLabel* label1_;
    QLabel* label2_;
    QLineEdit* text2_;
    QCheckBox* check2_;
    QCheckBox* check3_;
    QCheckBox* check4_;
    QCheckBox* check5_;
    QLabel* label3_;
    QLineEdit* text3_;
    QLabel* label4_;
    QComboBox* combo1_;
    QLabel* label5_;
    QTableWidget* grid1_;
    QGroupBox* frame2_;
    std::array<QRadioButton*, 4> option1_{};
    std::array<QPushButton*, 3> command1_{};
};

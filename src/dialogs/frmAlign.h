#pragma once
// How rows are paired for a comparison: by position (off), by the values of key columns, or
// around the rows identical in both files. Reads "Option"/"AlignRows", "Option"/"KeyColumns" and
// "Option"/"KeyTolerance"
// when it opens and writes them only on OK, when the key columns make a list (of numbers, ranges
// or names).

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QRadioButton;

class frmAlign : public QDialog {
    Q_OBJECT
public:
    explicit frmAlign(QWidget* parent = nullptr);

    // 0 off, 1 by key columns, 2 by identical rows.
    QRadioButton* Way(int way) const { return ways_[way]; }
    QLineEdit* KeyColumns() const { return keys_; }
    QLineEdit* KeyTolerance() const { return keyTolerance_; }
    QDialogButtonBox* Buttons() const { return buttons_; }
    QLabel* Problem() const { return problem_; }

    void accept() override;

private:
    QRadioButton* ways_[3];
    QLineEdit* keys_;
    QLineEdit* keyTolerance_;
    QLabel* problem_;
    QDialogButtonBox* buttons_;
};

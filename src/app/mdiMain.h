#pragma once
// The multiple-document frame that holds the grid windows.

#include <QMainWindow>

class QMdiArea;

class mdiMain : public QMainWindow {
    Q_OBJECT
public:
    explicit mdiMain(QWidget* parent = nullptr);

    QMdiArea* mdiArea() const { return area_; }

private:
    QMdiArea* area_;
};

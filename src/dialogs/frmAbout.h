#pragma once
// The About box: version and home page, the command-line usage, the system, live memory
// figures, and removing the settings file.

#include <QDialog>
#include <QList>
#include <array>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabBar;
class QTimer;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    // versionTab: open on "Version" whatever was stored (the command line's -h).
    explicit frmAbout(QWidget* parent = nullptr, bool versionTab = false);

    // The picture of the icon box on the "Version" page.
    void SetIcon(const QIcon& icon);

    void cmdOK_Click();
    void cmdMSInfo_Click();
    void lblAppURL_Click();
    void tmrSysInfo_Timer();
    void Form_KeyDown(int keyCode, int shift);

    QTabBar* tbsAbout() const { return tabs_; }
    QWidget* picAbout(int index) const { return pages_.at(index); }
    QPushButton* cmdOK() const { return ok_; }
    QLabel* label(const QString& name) const;
    QProgressBar* pgbMemory(int index) const { return bars_.at(std::size_t(index)); }
    QPlainTextEdit* txtOption() const { return option_; }
    QString SelectedKey() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void done(int result) override;

private:
    void Form_Load(bool versionTab);
    void FillVersionPage();
    void FillOptionPage();
    void FillSystemPage();
    void FillUninstallPage();
    void tbsAbout_Click();
    QLabel* addLabel(QWidget* page, const QString& name, const QString& text = {});

    QTabBar* tabs_;
    QList<QWidget*> pages_;
    QPushButton* ok_;
    QPlainTextEdit* option_ = nullptr;
    std::array<QProgressBar*, 3> bars_{};
    QTimer* timer_;
};

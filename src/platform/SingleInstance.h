#pragma once
// Only one copy runs at a time on one desktop. The running copy holds a lock file and listens on
// a local socket, both named after a key (the version caption), the user and the desktop
// session (the X display or Wayland socket), in the user's runtime folder; a
// later copy finds the lock taken, connects, and asks it to bring its window of a given caption
// to the front. The lock decides between copies started at the same moment.

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace platform {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when another copy holds the lock; this copy then stays connected to it when it
    // answers. False makes this copy the one that runs.
    bool anotherIsRunning();
    // Asks the running copy to activate the window captioned caption; waits until sent.
    bool requestActivation(const QString& caption);
    // Hands files to the running copy, to be loaded as its own command line would load them
    // (absolute paths: the running copy has a folder of its own), and how to compare them:
    // "i" or "e" (the options this copy was started with) compare at once, "" as the running
    // copy's settings say. Waits until the running copy says they are loaded, at most
    // waitMilliseconds, so that files that go soon after (a difftool's temporary copies) are
    // read first; true when it said so. Before requestActivation.
    bool requestOpen(const QStringList& files, const QString& compare = {}, int waitMilliseconds = 60000);
    // Becomes the copy that others find. A socket left behind by a copy that crashed is
    // taken over.
    bool listen();

    QString serverName() const { return serverName_; }

signals:
    void activationRequested(const QString& caption);
    // Handled at once: when the handler returns, the copy that asked is told the files are loaded.
    void openRequested(const QStringList& files, const QString& compare);

private:
    void readRequest(QLocalSocket* socket);

    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QLocalSocket> client_;
    QLocalServer* server_ = nullptr;
};

// Brings to the front the visible top-level window whose caption equals caption or, failing
// that, begins with it. False when there is none.
bool ActivateWindowByCaption(const QString& caption);

} // namespace platform

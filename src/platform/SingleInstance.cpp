#include "SingleInstance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace platform {

namespace {

constexpr int WaitMilliseconds = 2000;
const QByteArray ActivatePrefix = "activate ";

QString UserName()
{
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? qEnvironmentVariable("LOGNAME") : user;
}

// The desktop this copy shows on: the Wayland socket, the X display, or the login session
// where there is neither. Copies on two desktops of one user run side by side.
QString DisplaySession()
{
    for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY", "XDG_SESSION_ID"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return QLatin1String(name) + '=' + value;
    }
    return {};
}

const QByteArray OpenPrefix = "open";
const QByteArray LoadedReply = "loaded";

} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent)
    : QObject(parent)
{
    // TALLIR_INSTANCE_KEY replaces the key, so that a test run never meets a copy the user runs.
    const QString own = qEnvironmentVariable("TALLIR_INSTANCE_KEY");
    const QString name = own.isEmpty() ? key + '\n' + UserName() + '\n' + DisplaySession() : own;
    const QByteArray digest = QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1);
    const QString file = QStringLiteral("tallir-") + QString::fromLatin1(digest.toHex().left(20));
    // The socket lives in the user's runtime folder; a socket's path is limited to about a
    // hundred bytes, so a folder too long for it gives way to /tmp.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty() || folder.toUtf8().size() + file.size() > 100)
        folder = QStringLiteral("/tmp");
    serverName_ = folder + '/' + file;
    lock_ = std::make_unique<QLockFile>(serverName_ + QStringLiteral(".lock"));
    lock_->setStaleLockTime(0); // stale only when the copy that holds it is gone
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::anotherIsRunning()
{
    // Whoever holds the lock is the running copy, or one starting up at this very moment: of
    // two copies started together exactly one gets it.
    if (lock_->isLocked() || lock_->tryLock(0))
        return false;
    QElapsedTimer waited;
    waited.start();
    do {
        client_ = std::make_unique<QLocalSocket>();
        client_->connectToServer(serverName_);
        if (client_->waitForConnected(100))
            return true;
        QThread::msleep(50);
    } while (waited.elapsed() < WaitMilliseconds);
    client_.reset(); // it holds the lock but does not answer (yet): still not us
    return true;
}

bool SingleInstance::requestActivation(const QString& caption)
{
    if (!client_)
        return false;
    client_->write(ActivatePrefix + caption.toUtf8() + '\n');
    const bool sent = client_->waitForBytesWritten(WaitMilliseconds);
    client_->disconnectFromServer();
    client_.reset();
    return sent;
}

bool SingleInstance::listen()
{
    if (!lock_->isLocked() && !lock_->tryLock(0))
        return false;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // With socket options the socket is made aside and renamed into place, so a crashed copy's
    // leftover (nobody answered before we got here) is replaced.
    if (!server_->listen(serverName_))
        return false;
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            readRequest(socket);
        }
    });
    return true;
}

bool SingleInstance::requestOpen(const QStringList& files, const QString& compare, int waitMilliseconds)
{
    if (!client_ || files.isEmpty())
        return false;
    // One line: how to compare ("-" for as the settings say), then the names, each as its
    // UTF-16 code units in hexadecimal, so that every unit travels, the lone surrogates that
    // stand for bytes of a name that are no UTF-8 included.
    QByteArray line = OpenPrefix + ' ' + (compare.isEmpty() ? QByteArray("-") : compare.toLatin1());
    for (const QString& file : files)
        line += ' ' + QByteArray(reinterpret_cast<const char*>(file.utf16()), file.size() * qsizetype(sizeof(char16_t))).toHex();
    client_->write(line + '\n');
    if (!client_->waitForBytesWritten(WaitMilliseconds))
        return false;
    // The answer, while events go on (the running copy may be this very process).
    QElapsedTimer waited;
    waited.start();
    while (!client_->canReadLine() && client_->state() == QLocalSocket::ConnectedState && waited.elapsed() < waitMilliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        client_->waitForReadyRead(20);
    }
    return client_->canReadLine() && client_->readLine().trimmed() == LoadedReply;
}

void SingleInstance::readRequest(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine().trimmed();
        if (line.startsWith(ActivatePrefix)) {
            emit activationRequested(QString::fromUtf8(line.mid(ActivatePrefix.size())));
        } else if (line.startsWith(OpenPrefix + ' ')) {
            QList<QByteArray> parts = line.mid(OpenPrefix.size() + 1).split(' ');
            const QString compare = parts.isEmpty() || parts.front() == "-" ? QString() : QString::fromLatin1(parts.front());
            QStringList files;
            for (const QByteArray& part : parts.mid(1))
                if (!part.isEmpty()) {
                    const QByteArray units = QByteArray::fromHex(part);
                    files << QString::fromUtf16(reinterpret_cast<const char16_t*>(units.constData()), units.size() / 2);
                }
            // Loading may show a message box: not from inside the socket's own signal, which
            // the copy that sent it may close meanwhile. Once loaded, that copy is told.
            QPointer<QLocalSocket> asker(socket);
            QTimer::singleShot(0, this, [this, files, compare, asker] {
                emit openRequested(files, compare);
                if (asker && asker->state() == QLocalSocket::ConnectedState) {
                    asker->write(LoadedReply + '\n');
                    asker->flush();
                }
            });
        }
    }
}

bool ActivateWindowByCaption(const QString& caption)
{
    QWidget* found = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible() && !widget->isMinimized())
            continue;
        if (widget->windowTitle() == caption) {
            found = widget;
            break;
        }
        if (!found && widget->windowTitle().startsWith(caption))
            found = widget;
    }
    if (!found)
        return false;
    if (found->isMinimized())
        found->showNormal();
    found->raise();
    found->activateWindow();
    // The display may refuse the focus while the other copy's message box is still going away
    // (its request can reach the display first): ask again a few times until the window has it.
    QPointer<QWidget> window(found);
    for (const int delay : {100, 300, 700}) {
        QTimer::singleShot(delay, window, [window] {
            if (window && window->isVisible() && !window->isActiveWindow()) {
                window->raise();
                window->activateWindow();
            }
        });
    }
    return true;
}

} // namespace platform

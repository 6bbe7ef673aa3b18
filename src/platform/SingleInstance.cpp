#include "SingleInstance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
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

} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent)
    : QObject(parent)
{
    // TALLIR_INSTANCE_KEY replaces the key, so that a test run never meets a copy the user runs.
    const QString own = qEnvironmentVariable("TALLIR_INSTANCE_KEY");
    const QString name = own.isEmpty() ? key + '\n' + UserName() : own;
    const QByteArray digest = QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1);
    serverName_ = QStringLiteral("tallir-") + QString::fromLatin1(digest.toHex().left(20));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::anotherIsRunning()
{
    client_ = std::make_unique<QLocalSocket>();
    client_->connectToServer(serverName_);
    if (client_->waitForConnected(WaitMilliseconds))
        return true;
    client_.reset();
    return false;
}

bool SingleInstance::requestActivation(const QString& caption)
{
    if (!client_ && !anotherIsRunning())
        return false;
    client_->write(ActivatePrefix + caption.toUtf8() + '\n');
    const bool sent = client_->waitForBytesWritten(WaitMilliseconds);
    client_->disconnectFromServer();
    client_.reset();
    return sent;
}

bool SingleInstance::listen()
{
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(serverName_)) {
        // Nobody answered before we got here, so the socket is a crashed copy's leftover.
        QLocalServer::removeServer(serverName_);
        if (!server_->listen(serverName_))
            return false;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            readRequest(socket);
        }
    });
    return true;
}

void SingleInstance::readRequest(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine().trimmed();
        if (line.startsWith(ActivatePrefix))
            emit activationRequested(QString::fromUtf8(line.mid(ActivatePrefix.size())));
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
    return true;
}

} // namespace platform

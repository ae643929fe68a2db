#include "single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>

#include <unistd.h>

namespace corvane::platform {

namespace {

constexpr int kConnectTimeoutMs = 2000;
constexpr char kRaiseRequest[] = "raise\n";

}  // namespace

SingleInstance::SingleInstance(const QString& programDirectory, QObject* parent)
    : QObject(parent),
      directory_(programDirectory),
      lock_(QDir(programDirectory).filePath(".corvane.lock")) {
    // A running instance's lock never expires by age; one left by a killed
    // instance is still found stale, by its process id, and taken over.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (server_)
        server_->close();
}

QString SingleInstance::ServerName(const QString& programDirectory) {
    const QString canonical = QDir(programDirectory).canonicalPath();
    const QByteArray hash =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("corvane-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

bool SingleInstance::Acquire() {
    const QString name = ServerName(directory_);
    if (!lock_.tryLock(0)) {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(kConnectTimeoutMs)) {
            socket.write(kRaiseRequest);
            socket.waitForBytesWritten(kConnectTimeoutMs);
            socket.disconnectFromServer();
        }
        return false;
    }
    server_ = std::make_unique<QLocalServer>();
    QLocalServer::removeServer(name);  // a socket file left by a killed instance
    server_->listen(name);
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::AcceptConnections);
    return true;
}

void SingleInstance::AcceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains(QByteArray(kRaiseRequest).trimmed()))
                emit activationRequested();
        });
    }
}

}  // namespace corvane::platform

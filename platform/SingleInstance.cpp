#include "platform/SingleInstance.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace tabulo {
namespace {
constexpr int kWaitMs = 1000;
const QByteArray kActivate = QByteArrayLiteral("activate\n");
}  // namespace

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), name_(std::move(serverName)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::ServerNameFor(const std::filesystem::path& programFolder) {
    // The folder may be long or hold any character: a hash keeps the name short and safe.
    const QByteArray folder = QByteArray::fromStdString(
        std::filesystem::weakly_canonical(programFolder).string());
    const QByteArray hash =
        QCryptographicHash::hash(folder, QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("tabulo-%1-%2").arg(static_cast<qulonglong>(getuid())).arg(
        QString::fromLatin1(hash));
}

bool SingleInstance::AskRunningCopy() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kWaitMs)) return false;
    socket.write(kActivate);
    socket.waitForBytesWritten(kWaitMs);
    // The first copy answers once it has taken the request.
    socket.waitForReadyRead(kWaitMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::BecomePrimary() {
    if (AskRunningCopy()) return false;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // A socket left behind by a copy that crashed: nobody answered it above.
        QLocalServer::removeServer(name_);
        if (!server_->listen(name_)) return true;  // run on; only the hand-over is lost
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            auto take = [this, peer] {
                if (!peer->readAll().contains(kActivate.trimmed())) return;
                peer->write(QByteArrayLiteral("ok\n"));
                peer->flush();
                emit activationRequested();
            };
            connect(peer, &QLocalSocket::readyRead, this, take);
            // The request may already be waiting when the connection is taken.
            if (peer->bytesAvailable() > 0) take();
        }
    });
    return true;
}

}  // namespace tabulo

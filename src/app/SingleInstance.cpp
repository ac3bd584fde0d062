#include "app/SingleInstance.h"

#include "settings/RegistryMan.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

namespace {
constexpr int kTimeoutMs = 2000;
constexpr char kRequest[] = "activate\n";
constexpr char kAnswer[] = "ok\n";
} // namespace

TSingleInstance::TSingleInstance(QString name, QObject* parent) : QObject(parent), m_name(std::move(name)) {}

TSingleInstance::~TSingleInstance() = default;

QString TSingleInstance::DefaultName() {
    const QByteArray key = TSettingsStore::DefaultFilePath().toUtf8();
    return "TAMO-Viewer-" + QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16);
}

bool TSingleInstance::HandOverToRunning() {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kTimeoutMs))
        return false;
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(kTimeoutMs))
        return false;
    // The running viewer answers once it has taken the request; a dead socket file answers nothing.
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(kTimeoutMs))
            return false;
    return socket.readLine() == kAnswer;
}

bool TSingleInstance::Listen() {
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // A socket left behind by a viewer that crashed: nobody answered it, so take it over.
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name))
            return false;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() == kRequest) {
                    socket->write(kAnswer);
                    socket->flush();
                    emit Activated();
                }
            });
        }
    });
    return true;
}

#include "app/SingleInstance.h"

#include "settings/SettingsStore.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

namespace {
constexpr char kRequest[] = "activate\n";
constexpr char kAnswer[] = "ok\n";
// How long a connection may stay silent before it is dropped.
constexpr int kSilentClientMs = 10000;

QString LockFilePath(const QString& name) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + "/" + name + ".lock";
}
} // namespace

TSingleInstance::TSingleInstance(QString name, QObject* parent) : QObject(parent), m_name(std::move(name)) {}

TSingleInstance::~TSingleInstance() = default;

QString TSingleInstance::DefaultName() {
    const QByteArray key = TSettingsStore::DefaultFilePath().toUtf8();
    return "TAMO-Viewer-" + QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16);
}

bool TSingleInstance::Acquire() {
    m_lock = std::make_unique<QLockFile>(LockFilePath(m_name));
    // A lock whose process is gone is stale at once; a live holder keeps it however long it runs.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(100))
        return true;
    m_lock.reset();
    return false;
}

bool TSingleInstance::HandOverToRunning(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    // The running viewer may not listen yet (it is starting): try again until the deadline.
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(m_name);
        if (!socket.waitForConnected(int(std::min<qint64>(deadline.remainingTime(), 1000)))) {
            QThread::msleep(100);
            continue;
        }
        socket.write(kRequest);
        if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
            return false;
        while (!socket.canReadLine())
            if (!socket.waitForReadyRead(int(deadline.remainingTime())))
                return false;
        return socket.readLine() == kAnswer;
    }
    return false;
}

bool TSingleInstance::Listen() {
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // This process holds the lock, so a socket of that name is left over from a viewer that died.
    QLocalServer::removeServer(m_name);
    if (!m_server->listen(m_name))
        return false;
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            // Deleted only from the event loop, after its last read has returned.
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Answer(*socket); });
            // A start that connects and never asks is not waited for.
            QTimer::singleShot(kSilentClientMs, socket, [socket] { socket->abort(); });
        }
    });
    return true;
}

void TSingleInstance::Answer(QLocalSocket& socket) {
    if (!socket.canReadLine()) {
        // A request is one short line; a longer text comes from no viewer.
        if (socket.bytesAvailable() >= qint64(sizeof kRequest))
            socket.abort();
        return;
    }
    if (socket.readLine(sizeof kRequest) == kRequest) {
        socket.write(kAnswer);
        // Coming forward restores and redraws the frame, which lets events run; inside this read
        // handler they could delete the socket under it. So it happens once the handler is done.
        QMetaObject::invokeMethod(this, &TSingleInstance::Activated, Qt::QueuedConnection);
    }
    // Closed once the answer is written; the other start has all it needs.
    socket.disconnectFromServer();
}

#pragma once
// One viewer per user: a second start hands over to the running one and exits.

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // The name is per user and per settings file, so that test runs never meet a real viewer.
    explicit TSingleInstance(QString name = DefaultName(), QObject* parent = nullptr);
    ~TSingleInstance() override;

    static QString DefaultName();

    // True when this process is the one viewer: it holds the instance lock from now on. A lock
    // left by a viewer that is gone is taken over.
    bool Acquire();
    // Asks the running viewer to come forward; true when it answered. A viewer busy with long
    // work answers once it is free again, so the wait is long.
    bool HandOverToRunning(int timeoutMs = 30000);
    // Starts listening for later starts; each one emits Activated. Call after Acquire.
    bool Listen();

signals:
    void Activated();

private:
    // Reads the request of another start and answers it.
    void Answer(QLocalSocket& socket);

    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

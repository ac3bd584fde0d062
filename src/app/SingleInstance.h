#pragma once
// One viewer per user: a second start hands over to the running one and exits.

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // The name is per user and per settings file, so that test runs never meet a real viewer.
    explicit TSingleInstance(QString name = DefaultName(), QObject* parent = nullptr);
    ~TSingleInstance() override;

    static QString DefaultName();

    // True when another instance answered and took the request over.
    bool HandOverToRunning();
    // Starts listening for later starts; each one emits Activated.
    bool Listen();

signals:
    void Activated();

private:
    QString m_name;
    std::unique_ptr<QLocalServer> m_server;
};

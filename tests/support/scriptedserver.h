#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>

// A time server on loopback whose answers the test scripts. Each arrival from a client is
// handed to the script together with the client's socket; the script may write, close or stay
// silent. Every arrival is recorded.
class ScriptedServer : public QObject {
    Q_OBJECT
public:
    using Script = std::function<void(QTcpSocket& client, const QByteArray& query)>;

    explicit ScriptedServer(Script script = {});
    quint16 port() const { return server_.serverPort(); }
    QString portText() const { return QString::number(port()); }

    void setScript(Script script) { script_ = std::move(script); }
    // Called once for each accepted connection.
    void setOnConnect(std::function<void(QTcpSocket& client)> onConnect) {
        onConnect_ = std::move(onConnect);
    }

    QList<QByteArray> queries;
    int connections = 0;
    QPointer<QTcpSocket> lastClient;

private:
    // Listens on a free loopback port that the address check accepts (1 to 32767).
    void listenOnLowPort();

    QTcpServer server_;
    Script script_;
    std::function<void(QTcpSocket&)> onConnect_;
};

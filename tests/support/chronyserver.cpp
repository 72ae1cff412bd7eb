#include "support/chronyserver.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QNetworkDatagram>
#include <QUdpSocket>

namespace {
constexpr int StartMs = 10000;

QByteArray config(const QString& address, const QString& folder) {
    return "local stratum 10\n"
           "allow " +
           address.toUtf8() +
           "\n"
           "bindaddress " +
           address.toUtf8() +
           "\n"
           "port 123\n"
           "cmdport 0\n"
           "pidfile " +
           folder.toUtf8() +
           "/chronyd.pid\n"
           "driftfile " +
           folder.toUtf8() + "/chrony.drift\n";
}
}  // namespace

ChronyServer::ChronyServer(QString address) : address_(std::move(address)) {}

ChronyServer::~ChronyServer() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000))
        process_.kill();
    process_.waitForFinished(5000);
}

QString ChronyServer::start() {
    if (!dir_.isValid())
        return QStringLiteral("no temporary folder");
    const QString path = dir_.filePath(QStringLiteral("chrony.conf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(config(address_, dir_.path())) < 0)
        return QStringLiteral("cannot write ") + path;
    file.close();
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(QStringLiteral("chronyd"), {"-d", "-x", "-f", path});
    if (!process_.waitForStarted(StartMs))
        return QStringLiteral("chronyd did not start: ") + process_.errorString();
    const QDeadlineTimer deadline(StartMs);
    while (!deadline.hasExpired()) {
        if (answers())
            return {};
        if (process_.waitForFinished(50))
            return QStringLiteral("chronyd ended: ") + QString::fromLocal8Bit(process_.readAll());
    }
    return QStringLiteral("chronyd did not answer on ") + address_ + QStringLiteral(":123: ") +
           QString::fromLocal8Bit(process_.readAll());
}

// One client request, and whether a server reply comes back within a moment.
bool ChronyServer::answers() const {
    QUdpSocket probe;
    QByteArray request(48, '\0');
    request[0] = char(4 << 3 | 3);
    request[47] = 1;
    if (probe.writeDatagram(request, QHostAddress(address_), 123) != request.size())
        return false;
    if (!probe.waitForReadyRead(200))
        return false;
    const QByteArray reply = probe.receiveDatagram().data();
    return reply.size() >= 48 && (reply[0] & 7) == 4;
}

#include "support/chronyserver.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QNetworkDatagram>
#include <QUdpSocket>

ChronyServer::ChronyServer(QString address) : address_(std::move(address)) {}

ChronyServer::~ChronyServer() {
    process_.kill();
    process_.waitForFinished(5000);
}

QString ChronyServer::start() {
    const QString path = dir_.filePath(QStringLiteral("chrony.conf"));
    QFile file(path);
    const QString config = QStringLiteral(
                               "local stratum 10\nallow %1\nbindaddress %1\nport 123\n"
                               "cmdport 0\npidfile %2/chronyd.pid\n"
                               "driftfile %2/chrony.drift\n")
                               .arg(address_, dir_.path());
    if (!dir_.isValid() || !file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0)
        return QStringLiteral("cannot write ") + path;
    file.close();
    process_.setProcessChannelMode(QProcess::MergedChannels);
    // Keeps root: in a private network (privatenetwork.h) there is no other user to drop to.
    process_.start(QStringLiteral("chronyd"), {"-d", "-x", "-u", "root", "-f", path});
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (answers())
            return {};
        if (process_.waitForFinished(50) || process_.state() == QProcess::NotRunning)
            return QStringLiteral("chronyd ended: ") + process_.errorString() +
                   QString::fromLocal8Bit(process_.readAll());
    }
    return QStringLiteral("chronyd did not answer on ") + address_ + QStringLiteral(":123: ") +
           QString::fromLocal8Bit(process_.readAll());
}

// One client request, and whether a server reply comes back within a moment.
bool ChronyServer::answers() const {
    QUdpSocket probe;
    QByteArray request(48, '\0');
    request[0] = char(4 << 3 | 3);
    request[47] = 1;  // a transmit time, which servers expect
    if (probe.writeDatagram(request, QHostAddress(address_), 123) != request.size() ||
        !probe.waitForReadyRead(200))
        return false;
    const QByteArray reply = probe.receiveDatagram().data();
    return reply.size() >= 48 && (reply[0] & 7) == 4;
}

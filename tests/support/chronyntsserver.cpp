#include "support/chronyntsserver.h"

#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

#include "support/testcertificate.h"

namespace {
// A port nothing listens on now; chronyd takes it a moment later.
quint16 freeTcpPort(const QHostAddress& address) {
    QTcpServer probe;
    return probe.listen(address) ? probe.serverPort() : 0;
}

quint16 freeUdpPort(const QHostAddress& address) {
    QUdpSocket probe;
    return probe.bind(address) ? probe.localPort() : 0;
}
}  // namespace

ChronyNtsServer::ChronyNtsServer() : ChronyNtsServer(Placement{}) {}

ChronyNtsServer::ChronyNtsServer(Placement placement) : placement_(std::move(placement)) {}

ChronyNtsServer::~ChronyNtsServer() {
    process_.kill();
    process_.waitForFinished(5000);
}

QString ChronyNtsServer::start(const QString& altName, int validFromDays) {
    const QHostAddress& address = placement_.address;
    if (placement_.keyExchangePort == 0)
        placement_.keyExchangePort = freeTcpPort(address);
    ntpPort_ = freeUdpPort(address);
    if (!dir_.isValid() || placement_.keyExchangePort == 0 || ntpPort_ == 0)
        return QStringLiteral("no temporary folder or free port");
    if (const QString failure =
            makeTestCertificate(certificateFile(), keyFile(), altName, validFromDays);
        !failure.isEmpty())
        return failure;
    const QString path = dir_.filePath(QStringLiteral("chrony.conf"));
    QFile file(path);
    QString config = QStringLiteral(
                         "local stratum 10\nallow 127.0.0.0/8\nbindaddress %1\n"
                         "port %2\nntsport %3\nntsserverkey %4\nntsservercert %5\n"
                         "ntsprocesses 0\ncmdport 0\npidfile %6/chronyd.pid\n")
                         .arg(address.toString())
                         .arg(ntpPort_)
                         .arg(placement_.keyExchangePort)
                         .arg(keyFile(), certificateFile(), dir_.path());
    if (!placement_.announcedServer.isEmpty())
        config += QStringLiteral("ntsntpserver ") + placement_.announcedServer + u'\n';
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0)
        return QStringLiteral("cannot write ") + path;
    file.close();
    process_.setProcessChannelMode(QProcess::MergedChannels);
    const QStringList user = geteuid() == 0 ? QStringList{"-u", "root"} : QStringList{"-U"};
    process_.start(QStringLiteral("chronyd"),
                   QStringList{"-4", "-x", "-d"} + user + QStringList{"-f", path});
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        QTcpSocket probe;
        probe.connectToHost(address, placement_.keyExchangePort);
        if (probe.waitForConnected(200))
            return {};
        if (process_.waitForFinished(50) || process_.state() == QProcess::NotRunning)
            return QStringLiteral("chronyd ended: ") + process_.errorString() +
                   QString::fromLocal8Bit(process_.readAll());
    }
    return QStringLiteral("chronyd's key exchange did not open: ") +
           QString::fromLocal8Bit(process_.readAll());
}

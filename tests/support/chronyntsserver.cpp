#include "support/chronyntsserver.h"

#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

namespace {
const QHostAddress Loopback(QHostAddress::LocalHost);

// A port nothing listens on now; chronyd takes it a moment later.
quint16 freeTcpPort() {
    QTcpServer probe;
    return probe.listen(Loopback) ? probe.serverPort() : 0;
}

quint16 freeUdpPort() {
    QUdpSocket probe;
    return probe.bind(Loopback) ? probe.localPort() : 0;
}
}  // namespace

ChronyNtsServer::ChronyNtsServer() = default;

ChronyNtsServer::~ChronyNtsServer() {
    process_.kill();
    process_.waitForFinished(5000);
}

QString ChronyNtsServer::makeCertificate(const QString& altName) {
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                   "-nodes", "-days", "2", "-subj", "/CN=" + altName.section(u':', 1), "-addext",
                   "subjectAltName=" + altName, "-keyout", dir_.filePath("key.pem"), "-out",
                   certificateFile()});
    if (!openssl.waitForFinished(10000) || openssl.exitCode() != 0)
        return QStringLiteral("openssl req failed: ") + QString::fromLocal8Bit(openssl.readAll());
    return {};
}

QString ChronyNtsServer::start(const QString& altName) {
    keyExchangePort_ = freeTcpPort();
    ntpPort_ = freeUdpPort();
    if (!dir_.isValid() || keyExchangePort_ == 0 || ntpPort_ == 0)
        return QStringLiteral("no temporary folder or free port");
    if (const QString failure = makeCertificate(altName); !failure.isEmpty())
        return failure;
    const QString path = dir_.filePath(QStringLiteral("chrony.conf"));
    QFile file(path);
    const QString config = QStringLiteral(
                               "local stratum 10\nallow 127.0.0.1\nbindaddress 127.0.0.1\n"
                               "port %1\nntsport %2\nntsserverkey %3/key.pem\n"
                               "ntsservercert %3/cert.pem\nntsprocesses 0\ncmdport 0\n"
                               "pidfile %3/chronyd.pid\n")
                               .arg(ntpPort_)
                               .arg(keyExchangePort_)
                               .arg(dir_.path());
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
        probe.connectToHost(Loopback, keyExchangePort_);
        if (probe.waitForConnected(200))
            return {};
        if (process_.waitForFinished(50) || process_.state() == QProcess::NotRunning)
            return QStringLiteral("chronyd ended: ") + process_.errorString() +
                   QString::fromLocal8Bit(process_.readAll());
    }
    return QStringLiteral("chronyd's key exchange did not open: ") +
           QString::fromLocal8Bit(process_.readAll());
}

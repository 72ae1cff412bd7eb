#pragma once

#include <QHostAddress>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// Debian's chronyd as an NTS server on loopback: the key exchange on a TCP port, NTP on a free
// unprivileged UDP port (which the key exchange announces), with a certificate and key made for
// the test in a temporary folder. Started with -x, so it never touches the clock, serving its
// own clock at stratum 10, without a command port. Needs no root: as root it keeps root instead
// of dropping to a user that could not read the key.
class ChronyNtsServer {
public:
    // Where chronyd listens and what its key exchange tells clients.
    struct Placement {
        QHostAddress address = QHostAddress(QHostAddress::LocalHost);  // both services
        quint16 keyExchangePort = 0;                                   // 0: a free one
        // The NTP server the key exchange names; empty: none, so clients ask its own host.
        QString announcedServer;
    };

    ChronyNtsServer();
    explicit ChronyNtsServer(Placement placement);
    ~ChronyNtsServer();
    ChronyNtsServer(const ChronyNtsServer&) = delete;
    ChronyNtsServer& operator=(const ChronyNtsServer&) = delete;

    // Makes a self-signed certificate whose subject alternative name is altName ("IP:..." or
    // "DNS:..."), valid for two days from validFromDays days from now, starts chronyd with it
    // and waits until its key exchange accepts connections. Empty when it does; else why not.
    QString start(const QString& altName = QStringLiteral("IP:127.0.0.1"), int validFromDays = 0);

    // The certificate, for SSL_CERT_FILE.
    QString certificateFile() const { return dir_.filePath(QStringLiteral("cert.pem")); }
    QString keyFile() const { return dir_.filePath(QStringLiteral("key.pem")); }
    QHostAddress address() const { return placement_.address; }
    quint16 keyExchangePort() const { return placement_.keyExchangePort; }
    quint16 ntpPort() const { return ntpPort_; }

private:
    QTemporaryDir dir_;
    QProcess process_;
    Placement placement_;
    quint16 ntpPort_ = 0;
};

#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// Debian's chronyd as an NTS server on 127.0.0.1: the key exchange on one free unprivileged TCP
// port, NTP on another (which the key exchange announces), with a certificate and key made for
// the test in a temporary folder. Started with -x, so it never touches the clock, serving its
// own clock at stratum 10, without a command port. Needs no root: as root it keeps root instead
// of dropping to a user that could not read the key.
class ChronyNtsServer {
public:
    // The key exchange's port; 0 for any free one. Its own port, 4460, is the one that chooses
    // NTS, and is free for certain only in a private network (privatenetwork.h).
    explicit ChronyNtsServer(quint16 keyExchangePort = 0);
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
    quint16 keyExchangePort() const { return keyExchangePort_; }
    quint16 ntpPort() const { return ntpPort_; }

private:
    QString makeCertificate(const QString& altName, int validFromDays);

    QTemporaryDir dir_;
    QProcess process_;
    const quint16 chosenPort_;
    quint16 keyExchangePort_ = 0;
    quint16 ntpPort_ = 0;
};

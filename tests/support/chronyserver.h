#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// Debian's chronyd as a real NTP server on port 123 of a loopback address: started with -x, so
// it never touches the clock, serving its own clock at stratum 10, with its pid and drift files
// in a temporary folder and no command port. Binding port 123 needs root, or a private network
// (privatenetwork.h).
class ChronyServer {
public:
    explicit ChronyServer(QString address = QStringLiteral("127.0.0.1"));
    ~ChronyServer();
    ChronyServer(const ChronyServer&) = delete;
    ChronyServer& operator=(const ChronyServer&) = delete;

    // Starts chronyd and waits until it answers a request. Empty when it does; else why not.
    QString start();

private:
    bool answers() const;

    QString address_;
    QTemporaryDir dir_;
    QProcess process_;
};

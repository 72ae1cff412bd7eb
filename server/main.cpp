#include <sys/resource.h>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QTextStream>
#include <cstdio>
#include <optional>

#include "timeserver.h"

namespace {

constexpr int UsageError = 2;
constexpr int ListenError = 1;

struct Endpoint {
    QHostAddress address;
    quint16 port{};
};

int usageError(const QString& problem) {
    QTextStream(stderr) << "quorvel-server: " << problem << "\n";
    return UsageError;
}

std::optional<QHostAddress> readAddress(const QString& text) {
    if (text == QLatin1String("localhost"))
        return QHostAddress(QHostAddress::LocalHost);
    QHostAddress address;
    if (!address.setAddress(text))
        return std::nullopt;
    return address;
}

std::optional<quint16> readPort(const QString& text) {
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port > 65535)
        return std::nullopt;
    return quint16(port);
}

QString endpointText(const QHostAddress& address, quint16 port) {
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? u'[' + address.toString() + u']'
                             : address.toString();
    return host + u':' + QString::number(port);
}

// The limit of open descriptors, not the server's own cap, would otherwise decide how many
// clients can connect.
void raiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel-server"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Answers each time query N with \"N:\" and the present UTC time as DDMMMYYHHMMSS."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption listenOption(
        QStringLiteral("listen"), QStringLiteral("Listen on <address> (default 127.0.0.1)."),
        QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("Listen on <port>; 0 picks a free one (default 1610)."),
        QStringLiteral("port"), QStringLiteral("1610"));
    parser.addOption(listenOption);
    parser.addOption(portOption);

    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first()));
    const std::optional<QHostAddress> address = readAddress(parser.value(listenOption));
    if (!address)
        return usageError(
            QStringLiteral("'%1' is not an IP address.").arg(parser.value(listenOption)));
    const std::optional<quint16> port = readPort(parser.value(portOption));
    if (!port)
        return usageError(
            QStringLiteral("'%1' is not a port from 0 to 65535.").arg(parser.value(portOption)));

    raiseDescriptorLimit();
    TimeServer server;
    if (!server.listen(*address, *port)) {
        QTextStream(stderr) << "quorvel-server: cannot listen on " << endpointText(*address, *port)
                            << " - " << server.errorString() << "\n";
        return ListenError;
    }
    // Scripts that asked for port 0 learn the real one from this line.
    std::printf("Listening on %s\n",
                qPrintable(endpointText(server.serverAddress(), server.serverPort())));
    std::fflush(stdout);
    return app.exec();
}

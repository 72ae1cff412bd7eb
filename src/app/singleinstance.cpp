#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>
#include <algorithm>
#include <optional>

#include "app/socketfolder.h"

namespace {
constexpr QByteArrayView RestoreVerb("restore");
// A compositor's activation token is a UUID or so, with perhaps a time stamp.
constexpr qsizetype LongestToken = 255;
// "restore TOKEN\n"; a peer that sends more without a line end is not a later launch.
constexpr qint64 LongestRequest = RestoreVerb.size() + 1 + LongestToken + 1;
// A copy that listens accepts at once, even while it is busy.
constexpr int AnswerWaitMs = 250;
constexpr unsigned long RetryPauseMs = 50;

// The same for every spelling of one folder, different for each folder, and short enough for
// any socket path.
QString socketName(const QString& dataFolder) {
    const QFileInfo folder(dataFolder);
    const QString canonical = folder.canonicalFilePath();
    const QString path =
        canonical.isEmpty() ? QDir::cleanPath(folder.absoluteFilePath()) : canonical;
    const QByteArray digest =
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    return QStringLiteral("quorvel-") + QString::fromLatin1(digest);
}

// A token travels as one word of printable ASCII; anything else is no token.
bool isToken(QByteArrayView text) {
    return !text.isEmpty() && text.size() <= LongestToken &&
           std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 127; });
}

// "restore\n", or "restore TOKEN\n" with the activation token the later launch was started with.
QByteArray restoreRequest(const QString& activationToken) {
    const QByteArray token = activationToken.toUtf8();
    QByteArray request = RestoreVerb.toByteArray();
    if (isToken(token))  // a token the desktop cannot have made would only be refused there
        request += ' ' + token;
    return request + '\n';
}

// The token of a restore request line, empty for none; nullopt when the line is no request.
std::optional<QString> restoreRequestToken(const QByteArray& line) {
    if (!line.startsWith(RestoreVerb) || !line.endsWith('\n'))
        return std::nullopt;
    const QByteArrayView rest = QByteArrayView(line).sliced(RestoreVerb.size()).chopped(1);
    if (rest.isEmpty())
        return QString();
    if (!rest.startsWith(' ') || !isToken(rest.sliced(1)))
        return std::nullopt;
    return QString::fromLatin1(rest.sliced(1));
}
}  // namespace

SingleInstance::SingleInstance(const QString& dataFolder, QObject* parent)
    : QObject(parent),
      folder_(QDir(dataFolder).absolutePath()),
      lock_(QDir(folder_).filePath(QStringLiteral("Quorvel.lock"))) {
    // The program sets the clock, so the lock's age says nothing; a lock is stale only when the
    // process that wrote it is gone.
    lock_.setStaleLockTime(0);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_.nextPendingConnection())
            answer(peer);
    });
}

QString SingleInstance::lockFilePath() const {
    return lock_.fileName();
}

SingleInstance::Claim SingleInstance::claim() {
    QDir().mkpath(folder_);
    const SocketFolder sockets = socketFolder();
    socketProblem_ = sockets.problem;
    if (socketProblem_.isEmpty())  // once the data folder exists, so that links resolve
        socketPath_ = sockets.path + u'/' + socketName(folder_);
    if (lock_.tryLock(0)) {
        listen();
        return Claim::Held;
    }
    if (lock_.error() == QLockFile::LockFailedError && QFileInfo(folder_).isWritable())
        return Claim::HeldByOther;
    // No lock can be made here, or a leftover one cannot be cleared: nothing can be saved in
    // the folder, so two copies cannot overwrite each other, but one that runs still answers.
    if (!socketPath_.isEmpty()) {
        QLocalSocket probe;
        probe.connectToServer(socketPath_);
        if (probe.waitForConnected(AnswerWaitMs))
            return Claim::HeldByOther;
    }
    listen();
    return Claim::Unguarded;
}

bool SingleInstance::askToRestore(std::chrono::milliseconds patience,
                                  const QString& activationToken) const {
    if (socketPath_.isEmpty())
        return false;
    const QDeadlineTimer deadline(patience);
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(AnswerWaitMs)) {
            socket.write(restoreRequest(activationToken));
            return socket.waitForBytesWritten(AnswerWaitMs) || socket.bytesToWrite() == 0;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(RetryPauseMs);
    }
}

void SingleInstance::release() {
    server_.close();
    lock_.unlock();
}

QString SingleInstance::listenError() const {
    if (!socketProblem_.isEmpty())
        return socketProblem_;
    return server_.isListening() ? QString() : server_.errorString();
}

void SingleInstance::listen() {
    if (socketPath_.isEmpty())
        return;
    // A copy that crashed leaves its socket file behind, which would keep the name taken.
    QLocalServer::removeServer(socketPath_);
    server_.listen(socketPath_);
}

void SingleInstance::answer(QLocalSocket* peer) {
    connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
    connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
        if (!peer->canReadLine()) {
            if (peer->bytesAvailable() > LongestRequest)
                peer->abort();
            return;
        }
        // readLine() keeps one byte of its limit for a terminating zero.
        if (const auto token = restoreRequestToken(peer->readLine(LongestRequest + 1)))
            Q_EMIT restoreRequested(*token);
        peer->disconnectFromServer();
    });
}

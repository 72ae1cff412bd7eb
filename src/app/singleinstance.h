#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <chrono>

// One desktop program per data folder, so that two copies never overwrite each other's settings
// or server list. The first launch on a folder holds a lock file in it and listens on a local
// socket named from the folder, in a folder of this user's alone (socketfolder.h); a later
// launch finds the lock held and asks the holder, over that socket, to show its window.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        Held,         // this process holds the folder
        Unguarded,    // no lock can be made there (say, a read-only folder) and no copy answered
        HeldByOther,  // a running copy holds the folder
    };

    explicit SingleInstance(const QString& dataFolder, QObject* parent = nullptr);

    // Takes the folder for this process unless a running copy holds it. Creates the folder when
    // it does not exist yet, as the lock lives in it.
    Claim claim();
    // From a later launch, after claim(): asks the copy that holds the folder to restore its
    // window, trying again while it does not answer (it may be starting). False when it never
    // answered. The activation token this launch was started with, if any, goes along: on
    // Wayland only a token lets the running copy bring its window to the front.
    bool askToRestore(std::chrono::milliseconds patience,
                      const QString& activationToken = QString()) const;
    // Gives the folder up: a later launch runs as the first.
    void release();

    QString lockFilePath() const;
    // Why later launches cannot reach this copy; empty while it listens.
    QString listenError() const;
    // After claim(): why the socket's folder is refused, so that no copy can be reached there;
    // empty when it is sound.
    QString socketProblem() const { return socketProblem_; }
    // After claim(): where later launches reach this copy; empty while the folder is refused.
    QString socketPath() const { return socketPath_; }

Q_SIGNALS:
    // A later launch on the same folder asked for the window, handing on its activation token
    // (empty when it had none).
    void restoreRequested(const QString& activationToken);

private:
    void listen();
    void answer(QLocalSocket* peer);

    QString folder_;
    QString socketPath_;  // empty while the socket's folder is refused
    QString socketProblem_;
    QLockFile lock_;
    QLocalServer server_;
};

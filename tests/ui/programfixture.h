#pragma once

#include <QFile>
#include <QPlainTextEdit>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "config/autostartentry.h"
#include "support/fakeclock.h"
#include "support/fixedzonesource.h"
#include "support/recordingclocksetter.h"
#include "ui/desktopprogram.h"
#include "ui/mainwindow.h"

// The desktop program on a fresh data folder and autostart folder, with a clock the test holds
// and a clock setter that only records.
struct ProgramFixture {
    QTemporaryDir data;
    QTemporaryDir autostart;
    FakeClock clock;
    FixedZoneSource zone;
    RecordingClockSetter setter;
    AutostartEntry autostartEntry{autostart.path()};
    std::unique_ptr<DesktopProgram> program;

    void writeFile(const QString& name, const QByteArray& bytes) const {
        QFile file(data.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray readFile(const QString& name) const {
        QFile file(data.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    DesktopProgram& launch(const QString& dataFolder = {}) {
        program = std::make_unique<DesktopProgram>(DesktopParts{
            clock, zone, setter, autostartEntry, dataFolder.isEmpty() ? data.path() : dataFolder,
            QStringLiteral("/opt/quorvel/quorvel"), programPictures(), QLocale::c()});
        program->startUp();
        return *program;
    }

    MainWindow& window() const { return program->window(); }
    template <typename T>
    T* control(const char* name) const {
        return window().findChild<T*>(QString::fromLatin1(name));
    }

    // The logged messages as the window's log box holds them, without time stamps.
    QStringList messages() const {
        QStringList all;
        const QString text = control<QPlainTextEdit>("txtLog")->toPlainText();
        for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts))
            all.append(line.section(QStringLiteral("]  "), 1));
        return all;
    }
};

// A tray host must be running before the tray icon can show.
inline bool trayHostRunning() {
    return QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 5000);
}

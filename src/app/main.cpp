#include <QApplication>
#include <QCoreApplication>
#include <cstdio>
#include <memory>

#include "app/commandline.h"
#include "app/desktoprun.h"
#include "app/onceupdate.h"
#include "app/windowsystem.h"

namespace {
void write(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

QStringList argumentsAfterName(int argc, char* argv[]) {
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    return arguments;
}
}  // namespace

int main(int argc, char* argv[]) {
    // Read before any application object exists: only the desktop mode may need a display.
    const auto parsed = parseCommandLine(argumentsAfterName(argc, argv));
    const CommandLine* line = std::get_if<CommandLine>(&parsed);
    // Each repaint through X shared memory waits for a round trip to the server, which wakes two
    // threads for every second the clock fields show; the few pixels that change each second go
    // as well without it.
    if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    const std::unique_ptr<QCoreApplication> app =
        line && !line->once && !line->help && !line->version
            ? openWindowSystem(argc, argv)
            : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));

    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        write(stderr, QStringLiteral("quorvel: %1 (see quorvel --help)\n").arg(error->problem));
        return 2;
    }
    if (line->help) {
        write(stdout, usageText());
        return 0;
    }
    if (line->version) {
        write(stdout, QStringLiteral("quorvel %1\n").arg(QStringLiteral(QUORVEL_VERSION)));
        return 0;
    }
    if (!line->once)
        return runDesktop(*line, QCoreApplication::applicationDirPath());
    return runOnceUpdate(*line, QCoreApplication::applicationDirPath());
}

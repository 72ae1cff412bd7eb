#include <QCoreApplication>
#include <cstdio>

#include "app/commandline.h"
#include "app/onceupdate.h"

namespace {
void write(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}
}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));

    const auto parsed = parseCommandLine(QCoreApplication::arguments().mid(1));
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        write(stderr, QStringLiteral("quorvel: %1 (see quorvel --help)\n").arg(error->problem));
        return 2;
    }
    const CommandLine& line = std::get<CommandLine>(parsed);
    if (line.help) {
        write(stdout, usageText());
        return 0;
    }
    if (line.version) {
        write(stdout, QStringLiteral("quorvel %1\n").arg(QStringLiteral(QUORVEL_VERSION)));
        return 0;
    }
    if (!line.once) {
        write(stderr,
              QStringLiteral("quorvel: this build has no desktop window yet; use --once\n"));
        return 2;
    }
    return runOnceUpdate(line, QCoreApplication::applicationDirPath());
}

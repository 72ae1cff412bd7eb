#include "app/commandline.h"

namespace {
// The value of an option given as "--name VALUE" or "--name=VALUE"; advances past it.
std::variant<QString, UsageError> optionValue(const QStringList& arguments, qsizetype& at,
                                              const QString& name) {
    const QString& argument = arguments[at];
    if (argument.startsWith(name + u'='))
        return argument.mid(name.size() + 1);
    if (at + 1 >= arguments.size())
        return UsageError{name + QStringLiteral(" needs a value")};
    return arguments[++at];
}
}  // namespace

std::variant<CommandLine, UsageError> parseCommandLine(const QStringList& arguments) {
    CommandLine line;
    for (qsizetype at = 0; at < arguments.size(); ++at) {
        const QString& argument = arguments[at];
        const QString name = argument.section(u'=', 0, 0);
        if (argument == u"--once") {
            line.once = true;
        } else if (argument == u"--dry-run") {
            line.dryRun = true;
        } else if (argument == u"--help" || argument == u"-h") {
            line.help = true;
        } else if (argument == u"--version") {
            line.version = true;
        } else if (name == u"--server" || name == u"--data-dir") {
            auto value = optionValue(arguments, at, name);
            if (auto* error = std::get_if<UsageError>(&value))
                return *error;
            const QString text = std::get<QString>(value);
            if (name == u"--server") {
                line.server = text;
            } else if (text.isEmpty()) {
                return UsageError{QStringLiteral("--data-dir needs a folder")};
            } else {
                line.dataDir = text;
            }
        } else {
            return UsageError{QStringLiteral("unknown argument: ") + argument};
        }
    }
    if (line.server && !line.once)
        return UsageError{QStringLiteral("--server works only with --once")};
    return line;
}

QString usageText() {
    return QStringLiteral(
        "Usage:\n"
        "  quorvel [--data-dir DIR] [--dry-run]\n"
        "      the desktop program: main window and tray icon\n"
        "  quorvel --once [--server HOST[:PORT]] [--dry-run] [--data-dir DIR]\n"
        "      one update run without any window; the activity log goes to standard output\n"
        "  quorvel --help | --version\n"
        "\n"
        "Options:\n"
        "  --once               run one update and exit: 0 when the clock was set, 1 otherwise\n"
        "  --server HOST[:PORT] the time server to use (port 1610 when none is given)\n"
        "  --dry-run            never set the system clock; say what would have been done\n"
        "  --data-dir DIR       keep Quorvel.ini and Servers.ini in DIR\n"
        "  --help               show this help\n"
        "  --version            show the version\n");
}

#include "config/autostartentry.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const QString Group = QStringLiteral("[Desktop Entry]");
// What the desktop shows for the entry in its list of start-up programs.
const QString EntryName = QStringLiteral("Vostrand - Quorvel");

// The string escapes of a Desktop Entry value; blanks at either end would be taken for layout.
QString escapedValue(const QString& text) {
    QString escaped;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\')
            escaped += QStringLiteral("\\\\");
        else if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else if (c == u'\t')
            escaped += QStringLiteral("\\t");
        else if (c == u'\r')
            escaped += QStringLiteral("\\r");
        else if (c == u' ' && (i == 0 || i == text.size() - 1))
            escaped += QStringLiteral("\\s");
        else
            escaped += c;
    }
    return escaped;
}

QString unescapedValue(const QString& value) {
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar next = i + 1 < value.size() ? value[i + 1] : QChar();
        const int known = QStringLiteral("s\\ntr").indexOf(next);
        if (value[i] != u'\\' || known < 0) {
            text += value[i];
            continue;
        }
        text += QStringLiteral(" \\\n\t\r")[known];
        ++i;
    }
    return text;
}

// The keys of the [Desktop Entry] group that matter here.
struct EntryKeys {
    QString exec;
    bool skipped = false;  // the desktop is told not to launch it
};

EntryKeys entryKeys(const QString& text) {
    EntryKeys keys;
    bool inGroup = false;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.startsWith(u'[')) {
            inGroup = line == Group;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inGroup || line.startsWith(u'#') || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = unescapedValue(line.mid(equals + 1).trimmed());
        if (key == QLatin1String("Exec"))
            keys.exec = value;
        else if ((key == QLatin1String("Hidden") && value == QLatin1String("true")) ||
                 (key == QLatin1String("X-GNOME-Autostart-enabled") &&
                  value == QLatin1String("false")))
            keys.skipped = true;
    }
    return keys;
}
}  // namespace

AutostartEntry::AutostartEntry()
    : AutostartEntry(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                     QStringLiteral("/autostart")) {}

AutostartEntry::AutostartEntry(const QString& autostartFolder)
    : path_(autostartFolder + u'/' + FileName) {}

bool AutostartEntry::isEnabled() const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const EntryKeys keys = entryKeys(QString::fromUtf8(file.readAll()));
    return !keys.skipped && !keys.exec.isEmpty();
}

SaveResult AutostartEntry::write(const QString& command) const {
    const QString entry = Group + QStringLiteral("\nType=Application\nName=") +
                          escapedValue(EntryName) + QStringLiteral("\nExec=") +
                          escapedValue(command) + u'\n';
    return saveFileAtomically(path_, entry.toUtf8());
}

SaveResult AutostartEntry::remove() const {
    QFile file(path_);
    if (!file.exists() || file.remove())
        return {true, {}};
    return {false, file.errorString()};
}

QString launchCommand(const QString& executablePath, const QString& dataDir) {
    QString command = execArgument(executablePath);
    if (!dataDir.isEmpty())
        // Absolute, since a login session starts the program in another working folder.
        command +=
            QStringLiteral(" --data-dir ") + execArgument(QFileInfo(dataDir).absoluteFilePath());
    return command;
}

QString execArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString quoted;
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument) {
        needsQuotes = needsQuotes || reserved.contains(c);
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
        if (c == u'%')
            quoted += u'%';
    }
    return needsQuotes ? u'"' + quoted + u'"' : quoted;
}

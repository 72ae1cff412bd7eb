#include "config/autostartstore.h"

#include <QFile>
#include <QStandardPaths>
#include <optional>

namespace {
const QString Group = QStringLiteral("[Desktop Entry]");
const QString NumberKey = QStringLiteral("X-Quorvel-Number");

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
    std::optional<QString> exec;
    std::optional<QString> number;
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
        else if (key == NumberKey)
            keys.number = value;
        else if ((key == QLatin1String("Hidden") && value == QLatin1String("true")) ||
                 (key == QLatin1String("X-GNOME-Autostart-enabled") &&
                  value == QLatin1String("false")))
            keys.skipped = true;
    }
    return keys;
}
}  // namespace

AutostartStore::AutostartStore()
    : AutostartStore(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                     QStringLiteral("/autostart")) {}

AutostartStore::AutostartStore(const QString& autostartFolder) : folder_(autostartFolder) {}

QString AutostartStore::entryFileName(const QString& valueName) {
    QString name;
    for (const QChar c : valueName.toLower()) {
        const bool kept = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
        if (kept)
            name += c;
        else if (!name.endsWith(u'-'))
            name += u'-';
    }
    return name + QStringLiteral(".desktop");
}

QString AutostartStore::entryPath(const QString& valueName) const {
    return folder_ + u'/' + entryFileName(valueName);
}

AutostartValue AutostartStore::read(const QString& valueName) const {
    QFile file(entryPath(valueName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const EntryKeys keys = entryKeys(QString::fromUtf8(file.readAll()));
    if (keys.skipped)
        return {};
    bool isNumber = false;
    const qint32 number = keys.number ? keys.number->toInt(&isNumber) : 0;
    if (isNumber)
        return number;
    if (keys.exec)
        return *keys.exec;
    return {};
}

SaveResult AutostartStore::write(const QString& valueName, const AutostartValue& value) const {
    QString entry = Group + QStringLiteral("\nType=Application\nName=") + escapedValue(valueName);
    if (const qint32* number = std::get_if<qint32>(&value))
        entry += u'\n' + NumberKey + u'=' + QString::number(*number);
    else if (const QString* text = std::get_if<QString>(&value))
        entry += QStringLiteral("\nExec=") + escapedValue(*text);
    else
        entry += QStringLiteral("\nExec=");
    return saveFileAtomically(entryPath(valueName), (entry + u'\n').toUtf8());
}

SaveResult AutostartStore::remove(const QString& valueName) const {
    QFile file(entryPath(valueName));
    if (!file.exists() || file.remove())
        return {true, {}};
    return {false, file.errorString()};
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

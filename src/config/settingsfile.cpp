#include "config/settingsfile.h"

#include <QFile>
#include <QLocale>
#include <optional>

#include "common/eightbittext.h"
#include "common/leadingnumber.h"
#include "config/fileencoding.h"
#include "config/serverrow.h"

namespace {

enum class Conversion {
    LeadingNumber,  // the leading number, rounded: never fails by itself
    StrictNumber,   // the trimmed text must be a number in the user's locale
    TrimmedText,    // the text without surrounding spaces, taken as it is
};

// One line of the file: its key and the field it holds (a check state or a text).
struct SettingsLine {
    QLatin1StringView key;
    Conversion conversion;
    int Settings::*check = nullptr;
    QString Settings::*text = nullptr;
};

using namespace Qt::Literals::StringLiterals;

const SettingsLine Lines[] = {
    {"MinimizeOnLoad="_L1, Conversion::LeadingNumber, &Settings::minimizeOnLaunch},
    {"UpdateOnLoad="_L1, Conversion::LeadingNumber, &Settings::updateOnLaunch},
    {"CloseAfterUpdate="_L1, Conversion::LeadingNumber, &Settings::closeAfterUpdate},
    {"Schedule="_L1, Conversion::StrictNumber, &Settings::scheduled},
    {"UpdateEvery="_L1, Conversion::TrimmedText, nullptr, &Settings::updatePeriodText},
    {"Timeout="_L1, Conversion::TrimmedText, nullptr, &Settings::connectWaitText},
    {"MaxPing="_L1, Conversion::TrimmedText, nullptr, &Settings::maxReplyDelayText},
    {"ForgetPing="_L1, Conversion::TrimmedText, nullptr, &Settings::replyWaitText},
    {"Attempts="_L1, Conversion::TrimmedText, nullptr, &Settings::attemptsText},
    {"Loop="_L1, Conversion::LeadingNumber, &Settings::loopList},
    {"DaylightSavings="_L1, Conversion::LeadingNumber, &Settings::daylightSaving},
};

std::optional<double> strictNumber(const QString& text) {
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(text, &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

// A rounded value that is no check state (which takes in any beyond 16 bits, and NaN) is none.
std::optional<int> checkState(std::optional<double> value) {
    if (!value)
        return std::nullopt;
    const double rounded = roundHalfEven(*value);
    if (!(rounded >= 0 && rounded <= 2))
        return std::nullopt;
    return int(rounded);
}

// Stores the value text of a matching line in its field; false when the value ends the reading.
bool applyValue(const SettingsLine& line, const QString& value, Settings& settings) {
    if (line.conversion == Conversion::TrimmedText) {
        settings.*line.text = trimSpaces(value);
        return true;
    }
    const std::optional<double> number = line.conversion == Conversion::LeadingNumber
                                             ? std::optional(leadingNumber(value))
                                             : strictNumber(trimSpaces(value));
    const std::optional<int> state = checkState(number);
    if (!state)
        return false;
    settings.*line.check = *state;
    return true;
}

const SettingsLine* lineWithKey(const QString& lowerCaseLine) {
    for (const SettingsLine& line : Lines) {
        if (lowerCaseLine.startsWith(line.key, Qt::CaseInsensitive))
            return &line;
    }
    return nullptr;
}

}  // namespace

QString settingsFilePath(const QString& dataFolder) {
    return dataFolder + QStringLiteral("/Quorvel.ini");
}

void readSettings(const QByteArray& fileBytes, Settings& settings) {
    readSettings(fileBytes, encodingOf(fileBytes), settings);
}

void readSettings(const QByteArray& fileBytes, TextEncoding encoding, Settings& settings) {
    for (const QString& text : splitLines(decodeText(fileBytes, encoding))) {
        const QString lowerCase = text.toLower();
        const SettingsLine* line = lineWithKey(lowerCase);
        if (line && !applyValue(*line, lowerCase.mid(line->key.size()), settings))
            return;
    }
}

QString settingsFileText(const Settings& settings) {
    QString text;
    for (const SettingsLine& line : Lines) {
        const QString value =
            line.text ? settings.*line.text : QString::number(settings.*line.check);
        text += line.key + value + QStringLiteral("\r\n");
    }
    return text;
}

FileOpening loadSettings(const QString& path, Settings& settings) {
    QFile file(path);
    const FileOpening opened = openRegularFile(file);
    if (opened != FileOpening::Opened)
        return opened;
    const QByteArray bytes = file.read(MaxSettingsBytes);
    const TextEncoding encoding = encodingOf(bytes, file.atEnd() ? TextEnd::Whole : TextEnd::Cut);
    rememberEncoding(path, encoding);
    readSettings(bytes, encoding, settings);
    return opened;
}

SaveResult saveSettings(const QString& path, const Settings& settings) {
    return saveDataFile(path, settingsFileText(settings));
}

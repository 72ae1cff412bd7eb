// Quorvel.ini: any bytes read as the file, and records saved and read back.
#include "config/serverrow.h"
#include "config/settingsfile.h"
#include "fuzzcheck.h"

namespace {

QByteArray describe(const Settings& s) {
    return QStringLiteral("%1 %2 %3 %4 [%5] [%6] [%7] [%8] [%9] %10 %11")
        .arg(s.minimizeOnLaunch)
        .arg(s.updateOnLaunch)
        .arg(s.closeAfterUpdate)
        .arg(s.scheduled)
        .arg(s.updatePeriodText, s.connectWaitText, s.maxReplyDelayText, s.replyWaitText,
             s.attemptsText)
        .arg(s.loopList)
        .arg(s.daylightSaving)
        .toUtf8()
        .toPercentEncoding(" []");
}

bool isCheck(int value) {
    return value >= 0 && value <= 2;
}

// Saved and read back into a record that holds other values, the record comes back whole.
void checkReadsBack(const Settings& settings) {
    Settings read;
    read.scheduled = settings.scheduled == 1 ? 0 : 1;
    read.updatePeriodText = settings.updatePeriodText + u'x';
    read.launchAtLogin = settings.launchAtLogin;
    readSettings(settingsFileText(settings).toUtf8(), read);
    FUZZ_CHECK(read == settings, "saved %s\n  read %s", describe(settings).data(),
               describe(read).data());
}

// A text field as the file keeps it: lower case, no line end, no surrounding spaces.
QString keptText(const QString& text) {
    QString kept = text.toLower();
    kept.remove(u'\r').remove(u'\n');
    kept = trimSpaces(kept);
    return kept.toLower() == kept ? kept : QString();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Any bytes as the file: the check fields stay check states, and the record it gives is
    // one that saves and reads back as it is.
    Settings fromFile;
    fromFile.launchAtLogin = 1;
    readSettings(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), fromFile);
    for (const int check :
         {fromFile.minimizeOnLaunch, fromFile.updateOnLaunch, fromFile.closeAfterUpdate,
          fromFile.scheduled, fromFile.loopList, fromFile.daylightSaving})
        FUZZ_CHECK(isCheck(check), "check field read as %d", check);
    FUZZ_CHECK(fromFile.launchAtLogin == 1, "the start-up setting came from the file");
    checkReadsBack(fromFile);

    // A record built from the input.
    FuzzInput input(data, size);
    Settings built;
    for (int* check : {&built.minimizeOnLaunch, &built.updateOnLaunch, &built.closeAfterUpdate,
                       &built.scheduled, &built.loopList, &built.daylightSaving})
        *check = int(input.below(3));
    for (QString* text : {&built.updatePeriodText, &built.connectWaitText, &built.maxReplyDelayText,
                          &built.replyWaitText, &built.attemptsText})
        *text = keptText(input.text(16));
    checkReadsBack(built);
    return 0;
}

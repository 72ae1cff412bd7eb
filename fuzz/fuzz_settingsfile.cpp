// Quorvel.ini: any bytes read as the file, and records saved and read back.
#include "config/serverrow.h"
#include "config/settingsfile.h"
#include "fuzzcheck.h"

namespace {

QByteArray describe(const Settings& s) {
    return QStringLiteral("%1 %2 %3 %4 [%5] [%6] [%7] [%8] [%9] %10 %11")
        .arg(s.chkMinimizeOnLoad)
        .arg(s.chkUpdateOnLoad)
        .arg(s.chkCloseAfterUpdate)
        .arg(s.chkSchedule)
        .arg(s.txtTimes, s.txtTimeout, s.txtMaxPing, s.txtForgetPing, s.txtAttempts)
        .arg(s.chkLoop)
        .arg(s.chkDaylightSavings)
        .toUtf8()
        .toPercentEncoding(" []");
}

bool isCheck(int value) {
    return value >= 0 && value <= 2;
}

// Saved and read back into a record that holds other values, the record comes back whole.
void checkReadsBack(const Settings& settings) {
    Settings read;
    read.chkSchedule = settings.chkSchedule == 1 ? 0 : 1;
    read.txtTimes = settings.txtTimes + u'x';
    read.chkLoadOnStartUp = settings.chkLoadOnStartUp;
    readSettings(settingsFileBytes(settings), read);
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
    fromFile.chkLoadOnStartUp = 1;
    readSettings(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), fromFile);
    for (const int check :
         {fromFile.chkMinimizeOnLoad, fromFile.chkUpdateOnLoad, fromFile.chkCloseAfterUpdate,
          fromFile.chkSchedule, fromFile.chkLoop, fromFile.chkDaylightSavings})
        FUZZ_CHECK(isCheck(check), "check field read as %d", check);
    FUZZ_CHECK(fromFile.chkLoadOnStartUp == 1, "the start-up setting came from the file");
    checkReadsBack(fromFile);

    // A record built from the input.
    FuzzInput input(data, size);
    Settings built;
    for (int* check : {&built.chkMinimizeOnLoad, &built.chkUpdateOnLoad, &built.chkCloseAfterUpdate,
                       &built.chkSchedule, &built.chkLoop, &built.chkDaylightSavings})
        *check = int(input.below(3));
    for (QString* text : {&built.txtTimes, &built.txtTimeout, &built.txtMaxPing,
                          &built.txtForgetPing, &built.txtAttempts})
        *text = keptText(input.text(16));
    checkReadsBack(built);
    return 0;
}

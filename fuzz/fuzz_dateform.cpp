// The general date form: wall times written and read back under a few locales, and any text read.
// Years run from 1 to 9999: the four-digit years the form writes (it pads a short year with zeros).
#include "common/dateform.h"
#include "common/walltime.h"
#include "fuzzcheck.h"

namespace {

QLocale chosenLocale(FuzzInput& input) {
    static const QLocale locales[] = {QLocale::c(), QLocale(QStringLiteral("en_US")),
                                      QLocale(QStringLiteral("de_DE")),
                                      QLocale(QStringLiteral("ja_JP"))};
    return locales[input.below(4)];
}

QByteArray iso(const QDateTime& wall) {
    return wall.toString(Qt::ISODate).toLatin1();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const QLocale locale = chosenLocale(input);

    const QDate first(1, 1, 1);
    const QDate date = first.addDays(input.below(uint32_t(first.daysTo(QDate(9999, 12, 31)) + 1)));
    const uint32_t second = input.below(2 * 86400);  // half of them exactly midnight
    const QTime time = second < 86400 ? QTime(0, 0) : QTime(0, 0).addSecs(second - 86400);
    const QDateTime wall = wallTime(date, time);

    const QString shown = DateForm::generalDateTime(wall, locale);
    const QDateTime read = DateForm::readGeneralDateTime(shown, locale);
    FUZZ_CHECK(read == wall, "%s in %s shown as %s, read as %s", iso(wall).data(),
               qPrintable(locale.name()), quoted(shown).data(), iso(read).data());

    // The rest of the input as a text typed by the user: what reads, reads again when shown.
    const QString text = input.text(64);
    const QDateTime typed = DateForm::readGeneralDateTime(text, locale);
    if (typed.isValid() && typed.date().year() >= 1 && typed.date().year() <= 9999) {
        FUZZ_CHECK(typed.timeSpec() == Qt::UTC, "%s", quoted(text).data());
        const QString again = DateForm::generalDateTime(typed, locale);
        FUZZ_CHECK(DateForm::readGeneralDateTime(again, locale) == typed,
                   "%s in %s read as %s, shown as %s", quoted(text).data(),
                   qPrintable(locale.name()), iso(typed).data(), quoted(again).data());
    }
    return 0;
}

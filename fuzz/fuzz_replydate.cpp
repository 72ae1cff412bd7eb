// The server's date and time read from a reply. The first three bytes choose "today" (years 1601
// to 9999: a clock before that is no clock this program meets), the rest is the reply.
#include <cstdlib>

#include "engine/replydate.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const QDate first(1601, 1, 1);
    const QDate today = first.addDays(input.below(uint32_t(first.daysTo(QDate(9999, 12, 31)))));
    const size_t used = std::min<size_t>(size, 3);
    const QByteArrayView reply(reinterpret_cast<const char*>(data + used), qsizetype(size - used));

    const std::optional<QDateTime> read = readReplyDateTime(reply, today);
    if (!read)
        return 0;
    FUZZ_CHECK(read->isValid() && read->timeSpec() == Qt::UTC, "reply: %s",
               reply.toByteArray().toPercentEncoding().data());
    // The fields read are the ones the text holds, laid out from the right.
    const qsizetype colon = reply.indexOf(':');
    const QByteArray text = (colon >= 0 ? reply.sliced(colon + 1) : reply).toByteArray();
    QByteArray expected = QByteArray(13 - text.size(), ' ') + text.toLower();
    if (expected[0] == ' ')
        expected[0] = '0';
    const QByteArray shown =
        QLocale::c().toString(*read, QStringLiteral("ddMMMyyHHmmss")).toLatin1().toLower();
    FUZZ_CHECK(shown == expected, "%s read as %s", text.toPercentEncoding().data(), shown.data());
    // The century is the one that puts the date nearest to today.
    const QDate date = read->date();
    const qint64 distance = std::llabs(today.daysTo(date));
    for (const int centuries : {-3, -2, -1, 1, 2, 3}) {
        const QDate other(date.year() + 100 * centuries, date.month(), date.day());
        FUZZ_CHECK(!other.isValid() || std::llabs(today.daysTo(other)) >= distance,
                   "%s read as %s, today %s", text.data(), qPrintable(date.toString(Qt::ISODate)),
                   qPrintable(today.toString(Qt::ISODate)));
    }
    return 0;
}

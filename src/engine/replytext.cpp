#include "engine/replytext.h"

#include "common/leadingnumber.h"

namespace {
constexpr qsizetype ShownBytes = 200;

void appendShownByte(QString& out, uchar byte) {
    switch (byte) {
        case '\r':
            out += QStringLiteral("\\r");
            return;
        case '\n':
            out += QStringLiteral("\\n");
            return;
        case '\t':
            out += QStringLiteral("\\t");
            return;
        case '\\':
            out += QStringLiteral("\\\\");
            return;
        default:
            break;
    }
    if (byte < 0x20 || byte >= 0x7F)
        out += QStringLiteral("\\x") + QString::number(byte, 16).rightJustified(2, u'0').toUpper();
    else
        out += QLatin1Char(char(byte));
}
}  // namespace

QString shownReplyText(QByteArrayView reply) {
    QString shown;
    for (const char byte : reply.first(std::min(reply.size(), ShownBytes)))
        appendShownByte(shown, uchar(byte));
    if (reply.size() > ShownBytes)
        shown += QStringLiteral("... (%1 bytes)").arg(reply.size());
    return shown;
}

int replyAttemptNumber(QByteArrayView reply) {
    const double number = roundHalfEven(leadingNumber(QString::fromLatin1(reply)));
    if (number < -32768 || number > 32767)
        return 0;
    return int(number);
}

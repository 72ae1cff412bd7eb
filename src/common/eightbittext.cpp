#include "common/eightbittext.h"

#include <QStringDecoder>
#include <QStringEncoder>

QString decodeEightBit(const QByteArray& bytes) {
    QStringDecoder decoder(QStringConverter::System);
    return decoder.decode(bytes);
}

QByteArray encodeEightBit(const QString& text) {
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

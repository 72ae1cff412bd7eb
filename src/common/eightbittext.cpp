#include "common/eightbittext.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

TextEncoding encodingOf(const QByteArray& bytes, TextEnd end) {
    // A stateful decoder holds an incomplete character at the end back instead of calling it an
    // error; a stateless one calls it one.
    QStringDecoder decoder(QStringConverter::Utf8, end == TextEnd::Whole
                                                       ? QStringConverter::Flag::Stateless
                                                       : QStringConverter::Flag::Default);
    const QString text = decoder.decode(bytes);  // decodes only when taken as a string
    return decoder.hasError() ? TextEncoding::Latin1 : TextEncoding::Utf8;
}

QString decodeText(const QByteArray& bytes, TextEncoding encoding) {
    return encoding == TextEncoding::Latin1 ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
}

QByteArray encodeText(const QString& text, TextEncoding encoding) {
    return encoding == TextEncoding::Latin1 ? text.toLatin1() : text.toUtf8();
}

bool fitsLatin1(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xff; });
}

TextEncoding encodingToWrite(const QString& text, TextEncoding readIn) {
    return readIn == TextEncoding::Latin1 && fitsLatin1(text) ? TextEncoding::Latin1
                                                              : TextEncoding::Utf8;
}

QString decodeEightBit(const QByteArray& bytes) {
    return decodeText(bytes, encodingOf(bytes));
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

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The data files are text in the system's 8-bit encoding (the locale's).
QString decodeEightBit(const QByteArray& bytes);
QByteArray encodeEightBit(const QString& text);

// The lines of a text. CR LF, a lone CR and a lone LF each end a line, so files saved on any
// system keep their lines; the ending is not part of the line. A last line without an ending
// still counts, but an ending at the very end starts no further line: "a\r\nb\r\n" is two lines
// and the empty text none.
QStringList splitLines(const QString& text);

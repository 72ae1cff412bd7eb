#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The data files are UTF-8. A file that is not valid UTF-8 is read as Latin-1, one character per
// byte, and written back the same way, so its bytes survive a load and a save unchanged.
enum class TextEncoding { Utf8, Latin1 };
// Whether the bytes are the whole text, or its beginning cut anywhere (an incomplete character
// at the end is then no fault).
enum class TextEnd { Whole, Cut };

TextEncoding encodingOf(const QByteArray& bytes, TextEnd end = TextEnd::Whole);
QString decodeText(const QByteArray& bytes, TextEncoding encoding);
QByteArray encodeText(const QString& text, TextEncoding encoding);

// Whether every character has a Latin-1 form.
bool fitsLatin1(const QString& text);
// The encoding to write a text read in the given one: Latin-1 only while the text fits it, so
// that a typed character is never lost to a "?".
TextEncoding encodingToWrite(const QString& text, TextEncoding readIn);

// Decoded in the encoding the bytes are in.
QString decodeEightBit(const QByteArray& bytes);

// The lines of a text. CR LF, a lone CR and a lone LF each end a line, so files saved on any
// system keep their lines; the ending is not part of the line. A last line without an ending
// still counts, but an ending at the very end starts no further line: "a\r\nb\r\n" is two lines
// and the empty text none.
QStringList splitLines(const QString& text);

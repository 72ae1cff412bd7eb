#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <optional>

// The server's UTC date and time from a reply: the text after its first colon (the whole reply
// when it has none), at most 13 characters, laid out from the right into "DD MMM YY HH:MM:SS".
// A 12-character text thus has a one-digit day. The month is an English three-letter name in any
// case; the two-digit year falls in the century that puts the date nearest to today. Nothing
// when the text does not name a real date and time.
std::optional<QDateTime> readReplyDateTime(QByteArrayView reply, QDate today);

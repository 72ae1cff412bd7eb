#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>

// The answer to one query: the query's number, ":" and the UTC time as DDMMMYYHHMMSS with an
// English month ("3:06Dec26170000"). A query is 1 to 5 decimal digits, blanks around them
// allowed; anything else gets no answer, so the result is empty.
QByteArray timeReply(QByteArrayView query, const QDateTime& utcNow);

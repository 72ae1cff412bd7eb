#pragma once

#include <QByteArrayView>
#include <QString>

// A reply as the log shows it: bytes that could forge or break a log line (control bytes and
// everything outside printable ASCII) are escaped, a backslash is doubled, and a long reply is
// cut to its first 200 bytes with its length noted.
QString shownReplyText(QByteArrayView reply);

// The number of the query a reply answers: its leading number, rounded, or 0 when that is not a
// 16-bit number.
int replyAttemptNumber(QByteArrayView reply);

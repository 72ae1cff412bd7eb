#pragma once

#include <QString>

// The checks that run when the focus leaves the address or the port field.

// The port as a whole number from 1 to 32767 in plain digits (the fraction dropped), else the
// default port "1610".
QString checkedPort(const QString& text);

struct AddressFields {
    QString ip;
    QString port;
};

// A port typed after the first colon of the address moves, checked, into the port field, even
// when nothing follows the colon; the address keeps what stood before it, trimmed of spaces, or
// becomes "localhost" when nothing is left.
AddressFields checkedAddress(const QString& ipText, const QString& portText);

#include "serverlist/addresschecks.h"

#include <cmath>

#include "common/leadingnumber.h"
#include "config/serverrow.h"

QString checkedPort(const QString& text) {
    const double port = std::trunc(leadingNumber(text));
    if (port < 1 || port > 32767)
        return QStringLiteral("1610");
    return QString::number(int(port));
}

AddressFields checkedAddress(const QString& ipText, const QString& portText) {
    AddressFields fields{ipText, portText};
    const qsizetype colon = ipText.indexOf(u':');
    if (colon >= 0) {
        fields.port = checkedPort(ipText.mid(colon + 1));
        fields.ip = ipText.left(colon);
    }
    fields.ip = trimSpaces(fields.ip);
    if (fields.ip.isEmpty())
        fields.ip = QStringLiteral("localhost");
    return fields;
}

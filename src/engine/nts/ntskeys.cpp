#include "engine/nts/ntskeys.h"

QByteArray NtsKeys::takeCookie() {
    return cookies.isEmpty() ? QByteArray() : cookies.takeFirst();
}

void NtsKeys::addCookies(const QList<QByteArray>& fresh) {
    for (const QByteArray& cookie : fresh) {
        if (cookies.size() >= MaxCookies)
            return;
        cookies.append(cookie);
    }
}

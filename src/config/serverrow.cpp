#include "config/serverrow.h"

namespace {
constexpr qsizetype HostColumns = 40;
constexpr qsizetype PortColumns = 5;
}  // namespace

QString formatServerRow(const QString& host, const QString& port) {
    return host.leftJustified(HostColumns, u' ') + port.leftJustified(PortColumns, u' ');
}

QString trimSpaces(const QString& text) {
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && text[first] == u' ')
        ++first;
    while (end > first && text[end - 1] == u' ')
        --end;
    return text.mid(first, end - first);
}

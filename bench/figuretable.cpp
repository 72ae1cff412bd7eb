#include "figuretable.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr int WhatWidth = 54;
constexpr int CountWidth = 6;
constexpr int FigureWidth = 13;

QString milliseconds(double ms) {
    return QString::number(ms, 'f', 3) + QStringLiteral(" ms");
}
}  // namespace

FigureTable::FigureTable() : out_(stdout) {
    out_ << QStringLiteral("measured").leftJustified(WhatWidth)
         << QStringLiteral("runs").rightJustified(CountWidth)
         << QStringLiteral("ok").rightJustified(CountWidth)
         << QStringLiteral("median").rightJustified(FigureWidth)
         << QStringLiteral("worst").rightJustified(FigureWidth) << Qt::endl;
}

void FigureTable::add(const QString& what, int runs, QList<double> ms) {
    std::sort(ms.begin(), ms.end());
    out_ << what.leftJustified(WhatWidth) << QString::number(runs).rightJustified(CountWidth)
         << QString::number(ms.size()).rightJustified(CountWidth);
    if (!ms.isEmpty())
        out_ << milliseconds(ms[ms.size() / 2]).rightJustified(FigureWidth)
             << milliseconds(ms.last()).rightJustified(FigureWidth);
    out_ << Qt::endl;
}

void FigureTable::note(const QString& text) {
    out_ << QStringLiteral("  ") << text << Qt::endl;
}

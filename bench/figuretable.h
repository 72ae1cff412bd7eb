#pragma once

#include <QList>
#include <QString>
#include <QTextStream>

// The bench's figures as a table on standard output, a row as soon as it is measured: what was
// measured, how many runs, how many of them gave a figure, and the median and the worst figure.
class FigureTable {
public:
    FigureTable();
    // Figures in milliseconds; the worst is the largest.
    void add(const QString& what, int runs, QList<double> ms);
    // A line of its own under the table's rows, such as why something could not be measured.
    void note(const QString& text);

private:
    QTextStream out_;
};

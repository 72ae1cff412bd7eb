#pragma once

#include <QStringView>

// The number a text begins with, read the forgiving way users expect from a number field:
// blanks anywhere are skipped, reading stops at the first character that cannot continue the
// number, and a text without a number gives 0. "&H1F" and "&O17" are hexadecimal and octal.
// Never fails: a number beyond the double range gives the largest finite double of its sign.
double leadingNumber(QStringView text);

// Rounds to the nearest whole number, halves to the even one (0.5 -> 0, 1.5 -> 2, 2.5 -> 2).
double roundHalfEven(double value);

// Writes a whole number as plain digits with a leading "-" when negative, however large.
QString wholeNumberText(double wholeValue);

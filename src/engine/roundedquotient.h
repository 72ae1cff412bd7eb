#pragma once

#include <QtGlobal>

// value / divisor rounded to the nearest whole number, halves away from zero, so that a negative
// value rounds as the mirror image of its positive twin (C++ division alone truncates towards
// zero). divisor must be positive.
constexpr qint64 roundedQuotient(qint64 value, qint64 divisor) {
    const qint64 quotient = value / divisor;
    const qint64 remainder = value % divisor;  // same sign as value, smaller than divisor
    if (remainder >= 0)
        return remainder >= divisor - remainder ? quotient + 1 : quotient;
    return -remainder >= divisor + remainder ? quotient - 1 : quotient;
}

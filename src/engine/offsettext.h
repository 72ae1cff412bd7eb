#pragma once

#include <QString>

// How the log shows a measured offset and round trip. Both round to the nearest millisecond, halves
// away from zero, so a negative value shows as the mirror image of the positive one.

// Seconds with three decimals and a sign always: "+0.123", "-7.500"; "+0.000" when it rounds to
// nothing.
QString shownOffsetSeconds(qint64 offsetNs);

// Whole milliseconds: 12.5 ms and above is 13.
qint64 roundedMilliseconds(qint64 ns);

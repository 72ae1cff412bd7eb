#pragma once

#include "common/leadingnumber.h"

// The NTS key exchange's own port chooses NTS, read as the socket reads it, rounded halves to
// even.
constexpr double NtsPort = 4460;

inline bool speaksNts(double port) {
    return roundHalfEven(port) == NtsPort;
}

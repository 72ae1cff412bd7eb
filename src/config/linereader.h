#pragma once

#include <QByteArray>
#include <optional>

class QIODevice;

// Reads a device line by line in bounded memory, whatever it holds: CR LF, a lone CR and a lone
// LF each end a line (the ending is not part of it); a last line without an ending still counts.
// A line longer than the cap keeps its first cap bytes; the rest is read past, never held.
class LineReader {
public:
    LineReader(QIODevice& device, qsizetype cap);

    // The next line, none at the end of the device.
    std::optional<QByteArray> next();
    // Whether the line last returned was longer than the cap.
    bool lastWasCut() const { return cut_; }

private:
    bool fill();

    QIODevice& device_;
    qsizetype cap_;
    QByteArray chunk_;
    qsizetype pos_ = 0;
    bool skipLf_ = false;  // the last line ended in CR: a LF right after belongs to it
    bool cut_ = false;
};

#pragma once

#include <QByteArray>
#include <optional>

class QIODevice;

// Reads the fields of a server list file from a device in bounded memory, whatever it holds.
// Fields end at a comma or at their line's end: CR LF, a lone CR and a lone LF each end a line;
// a last line without an ending still counts. Spaces before a field are passed over; a field
// that then begins with a double quote runs to the next one or to its line's end, and what
// follows the closing quote up to the next comma is passed over. A field splits at its first
// colon into host and port. A host or port longer than the cap keeps its first cap bytes; the
// rest is read past, never held, so a line of any length gives all its fields.
class ServerFieldReader {
public:
    struct Part {
        QByteArray bytes;
        bool cut = false;  // longer than the cap
    };
    struct Field {
        Part host;
        std::optional<Part> port;  // none when the field holds no colon
    };

    ServerFieldReader(QIODevice& device, qsizetype cap);

    // The next field, none at the end of the device.
    std::optional<Field> next();

private:
    bool fill();
    void keep(Part& part, char c) const;

    QIODevice& device_;
    qsizetype cap_;
    QByteArray chunk_;
    qsizetype pos_ = 0;
    bool skipLf_ = false;  // the last line ended in CR: a LF right after belongs to it
    bool inLine_ = false;  // a byte of the present line has been read, its ending not yet
};

#include "config/serverfieldreader.h"

#include <QIODevice>

namespace {
constexpr qint64 ChunkBytes = 64 * 1024;

enum class Place { BeforeField, Host, Port, AfterQuote };
}  // namespace

ServerFieldReader::ServerFieldReader(QIODevice& device, qsizetype cap)
    : device_(device), cap_(cap) {}

bool ServerFieldReader::fill() {
    if (pos_ < chunk_.size())
        return true;
    chunk_ = device_.read(ChunkBytes);
    pos_ = 0;
    return !chunk_.isEmpty();
}

void ServerFieldReader::keep(Part& part, char c) const {
    if (part.bytes.size() < cap_)
        part.bytes.append(c);
    else
        part.cut = true;
}

std::optional<ServerFieldReader::Field> ServerFieldReader::next() {
    Field field;
    Place place = Place::BeforeField;
    bool quoted = false;
    while (fill()) {
        const char c = chunk_.at(pos_++);
        if (skipLf_) {
            skipLf_ = false;
            if (c == '\n')
                continue;
        }
        if (c == '\r' || c == '\n') {
            skipLf_ = c == '\r';
            inLine_ = false;
            return field;
        }
        inLine_ = true;
        if (place == Place::BeforeField) {
            if (c == ' ')
                continue;
            place = Place::Host;
            if (c == '"') {
                quoted = true;
                continue;
            }
        }
        if (c == ',' && (!quoted || place == Place::AfterQuote))
            return field;  // the next field is on this line
        if (place == Place::AfterQuote)
            continue;
        if (quoted && c == '"')
            place = Place::AfterQuote;
        else if (place == Place::Host && c == ':') {
            place = Place::Port;
            field.port = Part{};
        } else
            keep(place == Place::Host ? field.host : *field.port, c);
    }
    if (!inLine_)
        return std::nullopt;
    inLine_ = false;
    return field;
}

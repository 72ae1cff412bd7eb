#include "config/linereader.h"

#include <QIODevice>
#include <algorithm>

namespace {
constexpr qint64 ChunkBytes = 64 * 1024;
}

LineReader::LineReader(QIODevice& device, qsizetype cap) : device_(device), cap_(cap) {}

bool LineReader::fill() {
    if (pos_ < chunk_.size())
        return true;
    chunk_ = device_.read(ChunkBytes);
    pos_ = 0;
    return !chunk_.isEmpty();
}

std::optional<QByteArray> LineReader::next() {
    QByteArray line;
    bool started = false;
    cut_ = false;
    while (fill()) {
        const char* bytes = chunk_.constData();
        if (skipLf_) {
            skipLf_ = false;
            if (bytes[pos_] == '\n') {
                ++pos_;
                continue;
            }
        }
        started = true;
        qsizetype end = pos_;
        while (end < chunk_.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        const qsizetype room = cap_ - line.size();
        if (end - pos_ > room)
            cut_ = true;
        line.append(bytes + pos_, std::min(end - pos_, room));
        if (end < chunk_.size()) {
            skipLf_ = bytes[end] == '\r';
            pos_ = end + 1;
            return line;
        }
        pos_ = end;
    }
    if (!started)
        return std::nullopt;
    return line;
}

#pragma once

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Shared by the fuzz targets: a property check that stops the run with a readable message, and
// a reader that cuts the fuzz input into the small values a target builds its cases from.

#define FUZZ_CHECK(condition, ...)                                         \
    do {                                                                   \
        if (!(condition)) {                                                \
            std::fprintf(stderr, "PROPERTY VIOLATED: %s\n  ", #condition); \
            std::fprintf(stderr, __VA_ARGS__);                             \
            std::fprintf(stderr, "\n");                                    \
            std::abort();                                                  \
        }                                                                  \
    } while (false)

inline QByteArray quoted(const QString& text) {
    return text.toUtf8().toPercentEncoding(" !\"#$&'()*+,/:;<=>?@[]^`{|}~");
}

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool atEnd() const { return pos_ >= size_; }

    uint8_t byte() { return atEnd() ? 0 : data_[pos_++]; }

    // A number from 0 to limit - 1, from as many bytes as it needs.
    uint32_t below(uint32_t limit) {
        uint64_t value = 0;
        for (uint64_t span = 1; span < limit; span <<= 8)
            value = (value << 8) | byte();
        return limit == 0 ? 0 : uint32_t(value % limit);
    }

    // A text of up to maxLength UTF-8 bytes: a length byte, then the bytes (invalid sequences
    // read as U+FFFD, so the result is always well-formed text).
    QString text(size_t maxLength) {
        const size_t length = std::min<size_t>(byte() % (maxLength + 1), size_ - pos_);
        const QString result =
            QString::fromUtf8(reinterpret_cast<const char*>(data_ + pos_), qsizetype(length));
        pos_ += length;
        return result;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

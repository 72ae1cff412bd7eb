#include "common/leadingnumber.h"

#include <locale.h>
#include <QString>
#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

// Walks the text, skipping blanks wherever they stand.
class Cursor {
public:
    explicit Cursor(QStringView text) : text_(text) { skipBlanks(); }
    bool atEnd() const { return pos_ >= text_.size(); }
    QChar peek() const { return atEnd() ? QChar() : text_[pos_]; }
    void next() {
        ++pos_;
        skipBlanks();
    }

private:
    void skipBlanks() {
        while (pos_ < text_.size() && isBlank(text_[pos_]))
            ++pos_;
    }
    QStringView text_;
    qsizetype pos_ = 0;
};

double clampToFinite(double value) {
    if (std::isinf(value))
        return std::copysign(std::numeric_limits<double>::max(), value);
    return value;
}

int digitValue(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    const QChar upper = c.toUpper();
    if (upper >= u'A' && upper <= u'F')
        return upper.unicode() - u'A' + 10;
    return 99;
}

double radixNumber(Cursor& cursor, int radix) {
    double value = 0;
    while (!cursor.atEnd() && digitValue(cursor.peek()) < radix) {
        value = value * radix + digitValue(cursor.peek());
        cursor.next();
    }
    return clampToFinite(value);
}

void appendDigits(Cursor& cursor, std::string& out) {
    while (!cursor.atEnd() && cursor.peek() >= u'0' && cursor.peek() <= u'9') {
        out += char(cursor.peek().unicode());
        cursor.next();
    }
}

// A full stop is the decimal sign whatever the process locale says (QCoreApplication adopts the
// user's, and in many of them strtod expects a comma).
locale_t cLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return c;
}

double decimalNumber(Cursor& cursor) {
    std::string number;
    if (cursor.peek() == u'+' || cursor.peek() == u'-') {
        number += char(cursor.peek().unicode());
        cursor.next();
    }
    const size_t beforeDigits = number.size();
    appendDigits(cursor, number);
    if (cursor.peek() == u'.') {
        cursor.next();
        number += '.';
        appendDigits(cursor, number);
    }
    const bool hasDigits = number.find_first_of("0123456789", beforeDigits) != std::string::npos;
    if (!hasDigits)
        return 0;
    const QChar e = cursor.peek().toUpper();
    if (e == u'E' || e == u'D') {
        // The exponent belongs to the number only when digits follow it.
        std::string exponent = "e";
        cursor.next();
        if (cursor.peek() == u'+' || cursor.peek() == u'-') {
            exponent += char(cursor.peek().unicode());
            cursor.next();
        }
        const size_t signEnd = exponent.size();
        appendDigits(cursor, exponent);
        if (exponent.size() > signEnd)
            number += exponent;
    }
    return clampToFinite(strtod_l(number.c_str(), nullptr, cLocale()));
}

}  // namespace

double leadingNumber(QStringView text) {
    Cursor cursor(text);
    if (cursor.peek() == u'&') {
        cursor.next();
        const QChar kind = cursor.peek().toUpper();
        if (kind == u'H' || kind == u'O') {
            cursor.next();
            return radixNumber(cursor, kind == u'H' ? 16 : 8);
        }
        return 0;
    }
    return decimalNumber(cursor);
}

double roundHalfEven(double value) {
    if (!std::isfinite(value))
        return value;
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(previous);
    return rounded;
}

QString wholeNumberText(double wholeValue) {
    if (std::fabs(wholeValue) < 1e15)
        return QString::number(qint64(wholeValue));
    return QString::number(wholeValue, 'f', 0);
}

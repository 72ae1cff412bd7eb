#include "config/fileencoding.h"

#include <QHash>

namespace {
QHash<QString, TextEncoding>& encodings() {
    static QHash<QString, TextEncoding> byPath;
    return byPath;
}
}  // namespace

TextEncoding rememberedEncoding(const QString& path) {
    return encodings().value(path, TextEncoding::Utf8);
}

void rememberEncoding(const QString& path, TextEncoding encoding) {
    encodings().insert(path, encoding);
}

SaveResult saveDataFile(const QString& path, const QString& text) {
    const TextEncoding encoding = encodingToWrite(text, rememberedEncoding(path));
    SaveResult saved = saveFileAtomically(path, encodeText(text, encoding));
    if (saved.ok)
        rememberEncoding(path, encoding);
    return saved;
}

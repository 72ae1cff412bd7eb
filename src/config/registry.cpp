#include "config/registry.h"

#include <optional>

namespace {
const QString NotOpened = QStringLiteral("only the Run key is kept in the autostart folder");

QString asText(const RegistryValue& value) {
    if (const qint32* number = std::get_if<qint32>(&value))
        return QString::number(*number);
    if (const QString* text = std::get_if<QString>(&value))
        return *text;
    return {};
}

std::optional<qint32> asNumber(const RegistryValue& value) {
    if (const QString* text = std::get_if<QString>(&value)) {
        bool ok = false;
        const qint32 number = text->trimmed().toInt(&ok);
        return ok ? std::optional(number) : std::nullopt;
    }
    const qint32* number = std::get_if<qint32>(&value);
    return number ? *number : 0;
}

qint32 writeOutcome(RegistryKey& key, const SaveResult& saved) {
    key.failure = saved.reason;
    return saved.ok ? RegistrySuccess : RegistryAccessDenied;
}
}  // namespace

RegistryKey OpenRegistryKey(const AutostartStore& root, const QString& keyPath) {
    if (keyPath.compare(RunKeyPath, Qt::CaseInsensitive) != 0)
        return {nullptr, NotOpened};
    return {&root, {}};
}

RegistryValue ReadRegistryValue(const AutostartStore& root, const QString& keyPath,
                                const QString& valueName) {
    RegistryValue value;
    ReadValueFromOpenKey(OpenRegistryKey(root, keyPath), valueName, value);
    return value;
}

qint32 ReadValueFromOpenKey(const RegistryKey& key, const QString& valueName,
                            RegistryValue& value) {
    if (!key.store)
        return RegistryInvalidHandle;
    const RegistryValue stored = key.store->read(valueName);
    if (std::holds_alternative<std::monostate>(stored))
        return RegistryNotFound;
    value = stored;
    return RegistrySuccess;
}

SaveResult WriteRegistryValue(const AutostartStore& root, const QString& keyPath,
                              const QString& valueName, const RegistryValue& value,
                              qint32 valueType) {
    RegistryKey key = OpenRegistryKey(root, keyPath);
    const qint32 code = WriteValueToOpenKey(key, valueName, valueType, value);
    return {code == RegistrySuccess, key.failure};
}

qint32 WriteValueToOpenKey(RegistryKey& key, const QString& valueName, qint32 valueType,
                           const RegistryValue& value) {
    if (!key.store) {
        key.failure = NotOpened;
        return RegistryInvalidHandle;
    }
    if (valueType == RegSz)
        return writeOutcome(key, key.store->write(valueName, asText(value)));
    if (valueType != RegDword)
        return RegistrySuccess;
    const std::optional<qint32> number = asNumber(value);
    if (!number) {
        key.failure = QStringLiteral("the value is not a 32-bit number");
        return RegistryInvalidParameter;
    }
    return writeOutcome(key, key.store->write(valueName, *number));
}

SaveResult DeleteRegistryValue(const AutostartStore& root, const QString& keyPath,
                               const QString& valueName) {
    const RegistryKey key = OpenRegistryKey(root, keyPath);
    if (!key.store)
        return {false, key.failure};
    return key.store->remove(valueName);
}

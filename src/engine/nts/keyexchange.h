#pragma once

#include <QObject>
#include <QString>

#include "engine/nts/ntskeys.h"

// The NTS key exchange as the engine sees it: TLS 1.3 to HOST:PORT, the records of
// ntskerecords.h over it, the keys from the TLS exporter. The real one is TlsKeyExchange. It has
// no timeout of its own: the engine's connect wait bounds it and then calls abort().
class NtsKeyExchange : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Starts in the background, ending an exchange under way. Ends in one of the signals.
    virtual void start(const QString& host, quint16 port) = 0;
    // Ends the exchange under way without a signal; harmless when there is none.
    virtual void abort() = 0;

Q_SIGNALS:
    // keys.obtainedMs is left for the engine, which owns the clock.
    void succeeded(const NtsKeys& keys);
    // What failed, as the run logs it after "NTS key exchange failed - ".
    void failed(const QString& reason);
};

#pragma once

#include <QTcpSocket>
#include <memory>

#include "engine/nts/keyexchange.h"
#include "engine/nts/ntskerecords.h"

struct ssl_st;
struct ssl_ctx_st;

// The NTS key exchange over OpenSSL directly, since Qt's TLS offers no keying-material exporter.
// QTcpSocket carries the bytes (its look-up and connect run in the background) and OpenSSL works
// on memory buffers between it and us, so nothing ever waits on the network. TLS 1.3 only, ALPN
// "ntske/1"; the certificate must chain to OpenSSL's default trusted certificates (so
// SSL_CERT_FILE and SSL_CERT_DIR choose others) and match the host, a DNS name or an address.
// A connection that never comes about gives no signal: the engine's connect wait ends it.
class TlsKeyExchange final : public NtsKeyExchange {
    Q_OBJECT
public:
    explicit TlsKeyExchange(QObject* parent = nullptr);
    ~TlsKeyExchange() override;
    void start(const QString& host, quint16 port) override;
    void abort() override;

private:
    struct Deleter {
        void operator()(ssl_st* ssl) const;
        void operator()(ssl_ctx_st* context) const;
    };

    void beginTls();
    void takeArrival();
    void takeDisconnect();
    void advance();
    bool readResponse();
    void flush();
    QString handshakeFailure() const;
    void succeed();
    // By value: abort() empties the response a reason may come from.
    void fail(QString reason);

    QTcpSocket socket_;
    QString host_;
    std::unique_ptr<ssl_ctx_st, Deleter> context_;
    std::unique_ptr<ssl_st, Deleter> ssl_;
    bool requestSent_ = false;
    NtsKeResponse response_;
};

#include "platform/tlskeyexchange.h"

#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <QHostAddress>
#include <array>

namespace {
constexpr unsigned char Alpn[] = "\x07ntske/1";
constexpr std::string_view ExporterLabel = "EXPORTER-network-time-security";
constexpr qsizetype KeySize = 32;

// The exporter's context: protocol NTPv4, AEAD 15, then 0 for client-to-server, 1 the other way.
QByteArray exportedKey(SSL* ssl, unsigned char direction) {
    const std::array<unsigned char, 5> context = {0, 0, 0, 15, direction};
    QByteArray key(KeySize, '\0');
    if (SSL_export_keying_material(ssl, reinterpret_cast<unsigned char*>(key.data()), KeySize,
                                   ExporterLabel.data(), ExporterLabel.size(), context.data(),
                                   context.size(), 1) != 1)
        return {};
    return key;
}
}  // namespace

void TlsKeyExchange::Deleter::operator()(ssl_st* ssl) const {
    SSL_free(ssl);
}

void TlsKeyExchange::Deleter::operator()(ssl_ctx_st* context) const {
    SSL_CTX_free(context);
}

TlsKeyExchange::TlsKeyExchange(QObject* parent) : NtsKeyExchange(parent) {
    // Bounded, so a server that floods us cannot grow our memory.
    socket_.setReadBufferSize(64 * 1024);
    connect(&socket_, &QTcpSocket::connected, this, &TlsKeyExchange::beginTls);
    connect(&socket_, &QTcpSocket::readyRead, this, &TlsKeyExchange::takeArrival);
    connect(&socket_, &QTcpSocket::disconnected, this, &TlsKeyExchange::takeDisconnect);
}

TlsKeyExchange::~TlsKeyExchange() {
    abort();
}

void TlsKeyExchange::start(const QString& host, quint16 port) {
    abort();
    host_ = host;
    socket_.connectToHost(host, port);
}

void TlsKeyExchange::abort() {
    const QSignalBlocker quiet(socket_);
    socket_.abort();
    ssl_.reset();
    context_.reset();
    requestSent_ = false;
    response_ = {};
}

void TlsKeyExchange::beginTls() {
    // A context of its own for each exchange, so the trusted certificates are read as the
    // environment names them now.
    context_.reset(SSL_CTX_new(TLS_client_method()));
    if (!context_ || SSL_CTX_set_min_proto_version(context_.get(), TLS1_3_VERSION) != 1 ||
        SSL_CTX_set_default_verify_paths(context_.get()) != 1)
        return fail(QStringLiteral("TLS handshake failed"));
    SSL_CTX_set_verify(context_.get(), SSL_VERIFY_PEER, nullptr);
    ssl_.reset(SSL_new(context_.get()));
    BIO* in = BIO_new(BIO_s_mem());
    BIO* out = BIO_new(BIO_s_mem());
    if (!ssl_ || !in || !out) {
        BIO_free(in);
        BIO_free(out);
        return fail(QStringLiteral("TLS handshake failed"));
    }
    SSL_set_bio(ssl_.get(), in, out);  // the connection owns them from here
    const QByteArray host = host_.toUtf8();
    const bool isAddress = !QHostAddress(host_).isNull();
    X509_VERIFY_PARAM* check = SSL_get0_param(ssl_.get());
    if (SSL_set_alpn_protos(ssl_.get(), Alpn, sizeof Alpn - 1) != 0 ||
        (isAddress ? X509_VERIFY_PARAM_set1_ip_asc(check, host.constData()) != 1
                   : X509_VERIFY_PARAM_set1_host(check, host.constData(), host.size()) != 1 ||
                         SSL_set_tlsext_host_name(ssl_.get(), host.constData()) != 1))
        return fail(QStringLiteral("TLS handshake failed"));
    SSL_set_connect_state(ssl_.get());
    advance();
}

void TlsKeyExchange::takeArrival() {
    const QByteArray bytes = socket_.readAll();
    if (!ssl_)
        return;
    BIO_write(SSL_get_rbio(ssl_.get()), bytes.constData(), int(bytes.size()));
    advance();
}

void TlsKeyExchange::takeDisconnect() {
    if (!ssl_)
        return;
    if (!requestSent_)
        return fail(QStringLiteral("TLS handshake failed"));
    response_.endOfStream();
    fail(response_.failure());
}

// As far as the bytes that have arrived allow: the handshake, the request, the response.
void TlsKeyExchange::advance() {
    if (!requestSent_) {
        const int done = SSL_do_handshake(ssl_.get());
        if (done != 1) {
            flush();
            if (SSL_get_error(ssl_.get(), done) != SSL_ERROR_WANT_READ)
                fail(handshakeFailure());
            return;
        }
        const unsigned char* protocol = nullptr;
        unsigned int length = 0;
        SSL_get0_alpn_selected(ssl_.get(), &protocol, &length);
        const QByteArray request = ntsKeRequest();
        if (QByteArrayView(protocol, length) != QByteArrayView(Alpn + 1, sizeof Alpn - 2) ||
            SSL_write(ssl_.get(), request.constData(), int(request.size())) != request.size())
            return fail(QStringLiteral("TLS handshake failed"));
        requestSent_ = true;
    }
    const bool more = readResponse();
    flush();
    if (response_.state() == NtsKeResponse::State::Complete)
        succeed();
    else if (!more || response_.state() == NtsKeResponse::State::Failed)
        fail(response_.failure());
}

// False when the connection ended before the response did.
bool TlsKeyExchange::readResponse() {
    std::array<char, 4096> buffer;
    while (response_.state() == NtsKeResponse::State::Reading) {
        const int read = SSL_read(ssl_.get(), buffer.data(), int(buffer.size()));
        if (read <= 0) {
            if (SSL_get_error(ssl_.get(), read) == SSL_ERROR_WANT_READ)
                return true;
            response_.endOfStream();
            return false;
        }
        response_.read(QByteArrayView(buffer.data(), read));
    }
    return true;
}

void TlsKeyExchange::flush() {
    BIO* out = SSL_get_wbio(ssl_.get());
    std::array<char, 4096> buffer;
    for (int read; (read = BIO_read(out, buffer.data(), int(buffer.size()))) > 0;)
        socket_.write(buffer.data(), read);
}

QString TlsKeyExchange::handshakeFailure() const {
    switch (SSL_get_verify_result(ssl_.get())) {
        case X509_V_OK:
            return QStringLiteral("TLS handshake failed");
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return QStringLiteral("certificate does not match ") + host_;
        case X509_V_ERR_CERT_NOT_YET_VALID:
        case X509_V_ERR_CERT_HAS_EXPIRED:
            return QStringLiteral(
                "certificate not valid at this computer's time (the clock may be far off)");
        default:
            return QStringLiteral("certificate not trusted");
    }
}

void TlsKeyExchange::succeed() {
    NtsKeys keys;
    keys.ntpHost = response_.ntpServer().isEmpty() ? host_ : response_.ntpServer();
    keys.ntpPort = response_.ntpPort();
    keys.cookies = response_.cookies();
    keys.clientToServer = exportedKey(ssl_.get(), 0);
    keys.serverToClient = exportedKey(ssl_.get(), 1);
    if (keys.clientToServer.isEmpty() || keys.serverToClient.isEmpty())
        return fail(QStringLiteral("TLS handshake failed"));
    abort();
    Q_EMIT succeeded(keys);
}

void TlsKeyExchange::fail(QString reason) {
    abort();
    Q_EMIT failed(reason);
}

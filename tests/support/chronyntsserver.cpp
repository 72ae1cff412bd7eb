#include "support/chronyntsserver.h"

#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include <QDeadlineTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

namespace {
const QHostAddress Loopback(QHostAddress::LocalHost);

// A port nothing listens on now; chronyd takes it a moment later.
quint16 freeTcpPort() {
    QTcpServer probe;
    return probe.listen(Loopback) ? probe.serverPort() : 0;
}

quint16 freeUdpPort() {
    QUdpSocket probe;
    return probe.bind(Loopback) ? probe.localPort() : 0;
}
}  // namespace

ChronyNtsServer::ChronyNtsServer(quint16 keyExchangePort) : chosenPort_(keyExchangePort) {}

ChronyNtsServer::~ChronyNtsServer() {
    process_.kill();
    process_.waitForFinished(5000);
}

// A self-signed P-256 certificate valid for two days from validFromDays days from now, and its
// key, as PEM files in the folder.
QString ChronyNtsServer::makeCertificate(const QString& altName, int validFromDays) {
    const std::unique_ptr<EVP_PKEY, void (*)(EVP_PKEY*)> key(EVP_EC_gen("P-256"), EVP_PKEY_free);
    const std::unique_ptr<X509, void (*)(X509*)> certificate(X509_new(), X509_free);
    const QByteArray name = altName.section(u':', 1).toLatin1();
    const QByteArray alternative = altName.toLatin1();
    X509_EXTENSION* extension =
        X509V3_EXT_conf_nid(nullptr, nullptr, NID_subject_alt_name, alternative.constData());
    const long day = 24 * 3600;
    X509_NAME* subject = X509_get_subject_name(certificate.get());
    const bool made =
        key && extension && X509_set_version(certificate.get(), X509_VERSION_3) == 1 &&
        ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), 1) == 1 &&
        X509_gmtime_adj(X509_getm_notBefore(certificate.get()), validFromDays * day) &&
        X509_gmtime_adj(X509_getm_notAfter(certificate.get()), (validFromDays + 2) * day) &&
        X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>(name.constData()), -1, -1,
                                   0) == 1 &&
        X509_set_issuer_name(certificate.get(), subject) == 1 &&
        X509_set_pubkey(certificate.get(), key.get()) == 1 &&
        X509_add_ext(certificate.get(), extension, -1) == 1 &&
        X509_sign(certificate.get(), key.get(), EVP_sha256()) > 0;
    X509_EXTENSION_free(extension);
    FILE* keyOut = made ? std::fopen(qPrintable(keyFile()), "w") : nullptr;
    FILE* certificateOut = keyOut ? std::fopen(qPrintable(certificateFile()), "w") : nullptr;
    const bool written =
        certificateOut &&
        PEM_write_PrivateKey(keyOut, key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1 &&
        PEM_write_X509(certificateOut, certificate.get()) == 1;
    for (FILE* file : {keyOut, certificateOut})
        if (file)
            std::fclose(file);
    return written ? QString() : QStringLiteral("cannot make a certificate for ") + altName;
}

QString ChronyNtsServer::start(const QString& altName, int validFromDays) {
    keyExchangePort_ = chosenPort_ != 0 ? chosenPort_ : freeTcpPort();
    ntpPort_ = freeUdpPort();
    if (!dir_.isValid() || keyExchangePort_ == 0 || ntpPort_ == 0)
        return QStringLiteral("no temporary folder or free port");
    if (const QString failure = makeCertificate(altName, validFromDays); !failure.isEmpty())
        return failure;
    const QString path = dir_.filePath(QStringLiteral("chrony.conf"));
    QFile file(path);
    const QString config = QStringLiteral(
                               "local stratum 10\nallow 127.0.0.1\nbindaddress 127.0.0.1\n"
                               "port %1\nntsport %2\nntsserverkey %3/key.pem\n"
                               "ntsservercert %3/cert.pem\nntsprocesses 0\ncmdport 0\n"
                               "pidfile %3/chronyd.pid\n")
                               .arg(ntpPort_)
                               .arg(keyExchangePort_)
                               .arg(dir_.path());
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0)
        return QStringLiteral("cannot write ") + path;
    file.close();
    process_.setProcessChannelMode(QProcess::MergedChannels);
    const QStringList user = geteuid() == 0 ? QStringList{"-u", "root"} : QStringList{"-U"};
    process_.start(QStringLiteral("chronyd"),
                   QStringList{"-4", "-x", "-d"} + user + QStringList{"-f", path});
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        QTcpSocket probe;
        probe.connectToHost(Loopback, keyExchangePort_);
        if (probe.waitForConnected(200))
            return {};
        if (process_.waitForFinished(50) || process_.state() == QProcess::NotRunning)
            return QStringLiteral("chronyd ended: ") + process_.errorString() +
                   QString::fromLocal8Bit(process_.readAll());
    }
    return QStringLiteral("chronyd's key exchange did not open: ") +
           QString::fromLocal8Bit(process_.readAll());
}

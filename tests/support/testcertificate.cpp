#include "support/testcertificate.h"

#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <memory>

QString makeTestCertificate(const QString& certificatePath, const QString& keyPath,
                            const QString& altName, int validFromDays) {
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
    FILE* keyOut = made ? std::fopen(qPrintable(keyPath), "w") : nullptr;
    FILE* certificateOut = keyOut ? std::fopen(qPrintable(certificatePath), "w") : nullptr;
    const bool written =
        certificateOut &&
        PEM_write_PrivateKey(keyOut, key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1 &&
        PEM_write_X509(certificateOut, certificate.get()) == 1;
    for (FILE* file : {keyOut, certificateOut})
        if (file)
            std::fclose(file);
    return written ? QString() : QStringLiteral("cannot make a certificate for ") + altName;
}

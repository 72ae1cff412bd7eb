#include "engine/nts/aessiv.h"

#include <openssl/evp.h>

#include <memory>

namespace {
struct CipherDeleter {
    void operator()(EVP_CIPHER* cipher) const { EVP_CIPHER_free(cipher); }
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using Context = std::unique_ptr<EVP_CIPHER_CTX, CipherDeleter>;

const auto* bytes(QByteArrayView view) {
    return reinterpret_cast<const unsigned char*>(view.data());
}

// A context keyed for one message, its associated data and nonce already taken in.
Context keyed(bool encrypt, QByteArrayView key, QByteArrayView associated, QByteArrayView nonce) {
    static const std::unique_ptr<EVP_CIPHER, CipherDeleter> cipher(
        EVP_CIPHER_fetch(nullptr, "AES-128-SIV", nullptr));
    Context context(EVP_CIPHER_CTX_new());
    int length = 0;
    if (!cipher || !context || key.size() != AesSiv::KeySize ||
        EVP_CipherInit_ex2(context.get(), cipher.get(), bytes(key), nullptr, encrypt, nullptr) !=
            1 ||
        EVP_CipherUpdate(context.get(), nullptr, &length, bytes(associated),
                         int(associated.size())) != 1 ||
        (!nonce.isEmpty() &&
         EVP_CipherUpdate(context.get(), nullptr, &length, bytes(nonce), int(nonce.size())) != 1))
        return {};
    return context;
}
}  // namespace

std::optional<QByteArray> AesSiv::seal(QByteArrayView key, QByteArrayView associated,
                                       QByteArrayView nonce, QByteArrayView plaintext) {
    const Context context = keyed(true, key, associated, nonce);
    QByteArray sealed(TagSize + plaintext.size(), '\0');
    auto* out = reinterpret_cast<unsigned char*>(sealed.data());
    int length = 0;
    unsigned char none[TagSize];  // SIV's final step writes nothing
    if (!context || plaintext.isEmpty() ||
        EVP_EncryptUpdate(context.get(), out + TagSize, &length, bytes(plaintext),
                          int(plaintext.size())) != 1 ||
        length != plaintext.size() || EVP_EncryptFinal_ex(context.get(), none, &length) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_AEAD_GET_TAG, TagSize, out) != 1)
        return {};
    return sealed;
}

std::optional<QByteArray> AesSiv::open(QByteArrayView key, QByteArrayView associated,
                                       QByteArrayView nonce, QByteArrayView sealed) {
    if (sealed.size() <= TagSize)
        return {};
    const Context context = keyed(false, key, associated, nonce);
    QByteArray tag = sealed.first(TagSize).toByteArray();
    QByteArray plaintext(sealed.size() - TagSize, '\0');
    int length = 0;
    unsigned char none[TagSize];
    if (!context ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_AEAD_SET_TAG, TagSize, tag.data()) != 1 ||
        EVP_DecryptUpdate(context.get(), reinterpret_cast<unsigned char*>(plaintext.data()),
                          &length, bytes(sealed.sliced(TagSize)), int(plaintext.size())) != 1 ||
        length != plaintext.size() || EVP_DecryptFinal_ex(context.get(), none, &length) != 1)
        return {};
    return plaintext;
}

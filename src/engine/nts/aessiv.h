#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// AEAD_AES_SIV_CMAC_256 (RFC 5297 with a 32-byte key), the algorithm NTS agrees on, through
// OpenSSL's AES-128-SIV. The associated data and then the nonce (when not empty) are the
// components of S2V; the sealed form is the 16-byte synthetic IV followed by the ciphertext.
// OpenSSL 3.0 mishandles an empty plaintext, so one is refused both ways.
namespace AesSiv {
constexpr qsizetype KeySize = 32;
constexpr qsizetype TagSize = 16;

// Empty when the key is not KeySize bytes, the plaintext is empty, or OpenSSL fails.
std::optional<QByteArray> seal(QByteArrayView key, QByteArrayView associated, QByteArrayView nonce,
                               QByteArrayView plaintext);
// The plaintext, or empty when the sealed bytes do not verify under this key and data.
std::optional<QByteArray> open(QByteArrayView key, QByteArrayView associated, QByteArrayView nonce,
                               QByteArrayView sealed);
}  // namespace AesSiv

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <cstdint>

namespace tavi {

/// The DES block cipher of FIPS 46 for one 8-byte key.
class DesCipher
{
public:
    /// Schedules the round keys from the first 8 bytes of key, zero bytes filling a shorter key;
    /// parity bits are ignored.
    explicit DesCipher(QByteArrayView key);

    std::uint64_t encryptBlock(std::uint64_t block) const;
    std::uint64_t decryptBlock(std::uint64_t block) const;

    /// Encrypts 8 bytes in place.
    void encryptBlock(char *block) const;
    /// Decrypts 8 bytes in place.
    void decryptBlock(char *block) const;

private:
    std::uint64_t crypt(std::uint64_t block, bool decrypt) const;

    std::array<std::uint64_t, 16> m_roundKeys{};
};

}  // namespace tavi

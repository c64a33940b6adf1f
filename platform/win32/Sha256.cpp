#include "platform/Sha256.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>

namespace tern::platform {
namespace {

// BCrypt takes a 32-bit length per call; larger blocks go in pieces.
constexpr size_t kMaxPiece = 0x40000000;

bool Succeeded(NTSTATUS status) {
    return status >= 0;
}

// The provider and the hash object, closed in reverse order.
class HashSession {
public:
    HashSession() {
        if (Succeeded(
                BCryptOpenAlgorithmProvider(&m_algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) &&
            !Succeeded(BCryptCreateHash(m_algorithm, &m_hash, nullptr, 0, nullptr, 0, 0))) {
            m_hash = nullptr;
        }
    }
    ~HashSession() {
        if (m_hash) {
            BCryptDestroyHash(m_hash);
        }
        if (m_algorithm) {
            BCryptCloseAlgorithmProvider(m_algorithm, 0);
        }
    }
    HashSession(const HashSession&) = delete;
    HashSession& operator=(const HashSession&) = delete;

    BCRYPT_HASH_HANDLE Hash() const { return m_hash; }

private:
    BCRYPT_ALG_HANDLE m_algorithm = nullptr;
    BCRYPT_HASH_HANDLE m_hash = nullptr;
};

}  // namespace

std::optional<Sha256Digest> Sha256(const uint8_t* bytes, size_t size) {
    const HashSession session;
    if (!session.Hash()) {
        return std::nullopt;
    }
    for (size_t done = 0; done < size;) {
        const size_t piece = std::min(size - done, kMaxPiece);
        // BCrypt does not write the input; its parameter is not const.
        if (!Succeeded(BCryptHashData(session.Hash(), const_cast<PUCHAR>(bytes + done),
                                      static_cast<ULONG>(piece), 0))) {
            return std::nullopt;
        }
        done += piece;
    }
    Sha256Digest digest{};
    if (!Succeeded(BCryptFinishHash(session.Hash(), digest.data(),
                                    static_cast<ULONG>(digest.size()), 0))) {
        return std::nullopt;
    }
    return digest;
}

}  // namespace tern::platform

#include "platform/Sha256.h"

#include <openssl/evp.h>

#include <memory>

namespace tern::platform {

std::optional<Sha256Digest> Sha256(const uint8_t* bytes, size_t size) {
    // A library context of its own: libcrypto's default one, when setting itself up finds no
    // memory, leaves its locks unmade and crashes on the next call, where a context made here
    // simply fails.
    const std::unique_ptr<OSSL_LIB_CTX, decltype(&OSSL_LIB_CTX_free)> library(OSSL_LIB_CTX_new(),
                                                                              OSSL_LIB_CTX_free);
    if (!library) {
        return std::nullopt;
    }
    const std::unique_ptr<EVP_MD, decltype(&EVP_MD_free)> sha256(
        EVP_MD_fetch(library.get(), "SHA2-256", nullptr), EVP_MD_free);
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                          EVP_MD_CTX_free);
    Sha256Digest digest{};
    unsigned int length = 0;
    if (!sha256 || !context || EVP_DigestInit_ex(context.get(), sha256.get(), nullptr) != 1 ||
        EVP_DigestUpdate(context.get(), bytes, size) != 1 ||
        EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1 || length != digest.size()) {
        return std::nullopt;
    }
    return digest;
}

}  // namespace tern::platform

// SHA-256 through OpenSSL's libcrypto, for the builds that run on Linux (lzpack, the fuzz target).
#include "Sha256.h"

#include <openssl/evp.h>

namespace sha256 {

bool digest(const void* data, size_t size, Digest* out)
{
    unsigned int length = 0;
    return EVP_Digest(data, size, out->data(), &length, EVP_sha256(), nullptr) == 1 && length == out->size();
}

} // namespace sha256

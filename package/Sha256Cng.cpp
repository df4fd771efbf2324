// SHA-256 through Windows' CNG, from bcrypt.dll loaded out of System32 only.
#include "Sha256.h"

#include <windows.h>

#include <bcrypt.h>
#include <platform/SystemApis.h>

#include <algorithm>
#include <mutex>
#include <string>

namespace sha256 {

namespace {

using OpenProvider = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG);
using CreateHash = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG, PUCHAR, ULONG, ULONG);
using HashData = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using FinishHash = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using DestroyHash = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE);

// The provider, opened once for the process and never closed: every thread hashes through it.
struct Cng {
    CreateHash createHash = nullptr;
    HashData hashData = nullptr;
    FinishHash finishHash = nullptr;
    DestroyHash destroyHash = nullptr;
    BCRYPT_ALG_HANDLE algorithm = nullptr;
};

// Through void*: a FARPROC cast straight to another function type draws a warning.
template <class Function>
Function procedure(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const Cng* cng()
{
    static Cng loaded;
    static std::once_flag once;
    std::call_once(once, [] {
        // System32 only: a bcrypt.dll planted beside the installer is never the one that checks it.
        HMODULE module = platform::loadSystemLibrary(L"bcrypt.dll");
        if (!module)
            return;
        auto open = procedure<OpenProvider>(module, "BCryptOpenAlgorithmProvider");
        Cng found;
        found.createHash = procedure<CreateHash>(module, "BCryptCreateHash");
        found.hashData = procedure<HashData>(module, "BCryptHashData");
        found.finishHash = procedure<FinishHash>(module, "BCryptFinishHash");
        found.destroyHash = procedure<DestroyHash>(module, "BCryptDestroyHash");
        if (!open || !found.createHash || !found.hashData || !found.finishHash || !found.destroyHash)
            return;
        if (open(&found.algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0)
            return;
        loaded = found;
    });
    return loaded.algorithm ? &loaded : nullptr;
}

} // namespace

bool digest(const void* data, size_t size, Digest* out)
{
    const Cng* api = cng();
    if (!api)
        return false;
    BCRYPT_HASH_HANDLE hash = nullptr;
    // no object buffer: the provider allocates the hash object itself (Windows 7 and later)
    if (api->createHash(api->algorithm, &hash, nullptr, 0, nullptr, 0, 0) < 0)
        return false;
    auto bytes = static_cast<PUCHAR>(const_cast<void*>(data));
    bool ok = true;
    while (ok && size > 0) {
        ULONG piece = ULONG(std::min<size_t>(size, 1u << 30));
        ok = api->hashData(hash, bytes, piece, 0) >= 0;
        bytes += piece;
        size -= piece;
    }
    ok = ok && api->finishHash(hash, out->data(), ULONG(out->size()), 0) >= 0;
    api->destroyHash(hash);
    return ok;
}

} // namespace sha256

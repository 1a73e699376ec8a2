#include "platform/gcrypt/gcrypt_primitives.h"

#include <cstdarg>
#include <cstdio>

#include "core/secret_key.h"
#include "platform/crypto_library.h"
#include "util/unique_resource.h"

namespace {

// The library's own notes (on Windows its entropy gatherer advises running "diskperf -y")
// mean nothing to the program's users; only what comes just before it stops the process is
// written out.
void KeepNotesQuiet(void*, int level, const char* format, va_list arguments) {
    if (level != GCRY_LOG_FATAL && level != GCRY_LOG_BUG)
        return;
    std::fputs("libgcrypt: ", stderr);
    std::vfprintf(stderr, format, arguments);
}

// A handle of the library, closed through the table it came from.
template <typename Handle> struct GcryptHandle {
    struct Type {
        void (*close)(Handle);
        Handle handle;
    };
    static constexpr Type Invalid() noexcept { return {nullptr, nullptr}; }
    static bool IsValid(Type held) noexcept { return held.handle != nullptr; }
    static void Close(Type held) noexcept { held.close(held.handle); }
};
using UniqueKdf = Unique<GcryptHandle<gcry_kdf_hd_t>>;
using UniqueMac = Unique<GcryptHandle<gcry_mac_hd_t>>;
using UniqueCipher = Unique<GcryptHandle<gcry_cipher_hd_t>>;

// The error of the latest call on this thread that failed: calls run on the jobs' threads and
// the primitives are shared, so what one thread's failure was is kept with that thread.
thread_local gcry_error_t latestError = 0;

// Whether `error` says the call worked; a failure is kept for LastFailure().
bool Succeeded(gcry_error_t error) {
    if (error != 0)
        latestError = error;
    return error == 0;
}

// A ChaCha20-Poly1305 cipher keyed once; each chunk starts it again with its own nonce.
class GcryptAead final : public AeadSession {
  public:
    GcryptAead(const GcryptFunctions& f, UniqueCipher cipher) : f_(f), cipher_(std::move(cipher)) {}

    bool Seal(const unsigned char* nonce, const unsigned char* plain, std::size_t length,
              unsigned char* sealed) override {
        return Restart(nonce) &&
               Succeeded(f_.cipher_encrypt(Handle(), sealed, length, plain, length)) &&
               Succeeded(f_.cipher_gettag(Handle(), sealed + length, kAeadTagLength));
    }

    bool Open(const unsigned char* nonce, const unsigned char* sealed, std::size_t sealedLength,
              unsigned char* plain) override {
        if (sealedLength < kAeadTagLength)
            return Succeeded(gcry_error(GPG_ERR_CHECKSUM));
        const std::size_t length = sealedLength - kAeadTagLength;
        // The tag is known only once the whole cipher text has gone through: until it
        // verifies, what was decrypted stays here and is wiped if it does not.
        const bool opened =
            Restart(nonce) &&
            Succeeded(f_.cipher_decrypt(Handle(), plain, length, sealed, length)) &&
            Succeeded(f_.cipher_checktag(Handle(), sealed + length, kAeadTagLength));
        if (!opened)
            WipeBytes(plain, length);
        return opened;
    }

  private:
    gcry_cipher_hd_t Handle() const { return cipher_.get().handle; }
    bool Restart(const unsigned char* nonce) {
        return Succeeded(f_.cipher_ctl(Handle(), GCRYCTL_RESET, nullptr, 0)) &&
               Succeeded(f_.cipher_setiv(Handle(), nonce, kAeadNonceLength));
    }

    const GcryptFunctions& f_;
    UniqueCipher cipher_; // its key lives in the handle until it is closed, which wipes it
};

} // namespace

bool StartGcrypt(const GcryptFunctions& f) {
    if (f.control(GCRYCTL_INITIALIZATION_FINISHED_P) != 0)
        return f.check_version(kLeastGcryptVersion) != nullptr;
    f.set_log_handler(KeepNotesQuiet, nullptr);
    if (f.check_version(kLeastGcryptVersion) == nullptr)
        return false;
    f.control(GCRYCTL_DISABLE_SECMEM, 0);
    f.control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    return true;
}

bool GcryptPrimitives::Argon2id(const unsigned char* password, std::size_t passwordLength,
                                const unsigned char* salt, std::size_t saltLength,
                                const Argon2Cost& cost, unsigned char* out) const {
    // The library's order: tag length, passes, memory, lanes.
    const unsigned long parameters[] = {kSecretKeyLength, cost.passes, cost.memoryKiB, cost.lanes};
    gcry_kdf_hd_t handle = nullptr;
    if (!Succeeded(f_.kdf_open(&handle, GCRY_KDF_ARGON2, GCRY_KDF_ARGON2ID, parameters, 4, password,
                               passwordLength, salt, saltLength, nullptr, 0, nullptr, 0)))
        return false;
    UniqueKdf kdf({f_.kdf_close, handle});
    if (!Succeeded(f_.kdf_compute(handle, nullptr)) ||
        !Succeeded(f_.kdf_final(handle, kSecretKeyLength, out))) {
        WipeBytes(out, kSecretKeyLength);
        return false;
    }
    return true;
}

bool GcryptPrimitives::HmacSha256(const unsigned char* key, std::size_t keyLength,
                                  const ByteRange* parts, std::size_t partCount,
                                  unsigned char out[kSha256Length]) const {
    gcry_mac_hd_t handle = nullptr;
    if (!Succeeded(f_.mac_open(&handle, GCRY_MAC_HMAC_SHA256, 0, nullptr)))
        return false;
    UniqueMac mac({f_.mac_close, handle});
    if (!Succeeded(f_.mac_setkey(handle, key, keyLength)))
        return false;
    for (std::size_t i = 0; i < partCount; ++i) {
        if (parts[i].size != 0 && !Succeeded(f_.mac_write(handle, parts[i].data, parts[i].size)))
            return false;
    }
    std::size_t length = kSha256Length;
    return Succeeded(f_.mac_read(handle, out, &length)) &&
           (length == kSha256Length || !Succeeded(gcry_error(GPG_ERR_INV_LENGTH)));
}

bool GcryptPrimitives::Sha256(const unsigned char* data, std::size_t length,
                              unsigned char out[kSha256Length]) const {
    f_.md_hash_buffer(GCRY_MD_SHA256, out, data, length);
    return true;
}

std::unique_ptr<AeadSession> GcryptPrimitives::BeginAead(const unsigned char* key) const {
    gcry_cipher_hd_t handle = nullptr;
    if (!Succeeded(f_.cipher_open(&handle, GCRY_CIPHER_CHACHA20, GCRY_CIPHER_MODE_POLY1305, 0)))
        return nullptr;
    UniqueCipher cipher({f_.cipher_close, handle});
    if (!Succeeded(f_.cipher_setkey(handle, key, kSecretKeyLength)))
        return nullptr;
    return std::make_unique<GcryptAead>(f_, std::move(cipher));
}

bool GcryptPrimitives::Random(unsigned char* out, std::size_t length) const {
    f_.randomize(out, length, GCRY_STRONG_RANDOM);
    return true;
}

CryptoFailure GcryptPrimitives::LastFailure() const {
    CryptoFailure failure;
    const gcry_err_code_t code = gcry_err_code(latestError);
    failure.outOfMemory = code == GPG_ERR_ENOMEM;
    failure.notVerified = code == GPG_ERR_CHECKSUM;
    if (latestError != 0)
        failure.text = f_.strerror(latestError);
    return failure;
}

// The library as the file jobs ask for it, however this system reaches it.
const StrongPrimitives* StrongPrimitivesOrProblem(std::string& problem) {
    const CryptoLibrary library = OpenCryptoLibrary();
    switch (library.problem) {
    case CryptoLibraryProblem::kNone:
        return library.primitives;
    case CryptoLibraryProblem::kMissing:
        problem = library.file + " is missing";
        break;
    case CryptoLibraryProblem::kUnusable:
        problem = library.file + " cannot be loaded";
        break;
    case CryptoLibraryProblem::kTooOld:
        problem = library.file + " is older than version 1.10";
        break;
    }
    return nullptr;
}

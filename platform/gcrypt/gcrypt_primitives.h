// The strong format's primitives from libgcrypt, written once over a table of the library's
// functions, so that it serves however the table was filled: with the functions linked into the
// program (Linux) or with those of the DLLs loaded beside it (Windows).
#ifndef VEILQUILL_GCRYPT_PRIMITIVES_H
#define VEILQUILL_GCRYPT_PRIMITIVES_H

#include <gcrypt.h>

#include "core/strong_primitives.h"

// Every libgcrypt function the program calls, once: X(name) for gcry_name.
#define VQ_GCRYPT_FUNCTIONS(X)                                                                     \
    X(check_version)                                                                               \
    X(control)                                                                                     \
    X(set_log_handler)                                                                             \
    X(kdf_open)                                                                                    \
    X(kdf_compute)                                                                                 \
    X(kdf_final)                                                                                   \
    X(kdf_close)                                                                                   \
    X(mac_open)                                                                                    \
    X(mac_setkey)                                                                                  \
    X(mac_write)                                                                                   \
    X(mac_read)                                                                                    \
    X(mac_close)                                                                                   \
    X(md_hash_buffer)                                                                              \
    X(cipher_open)                                                                                 \
    X(cipher_close)                                                                                \
    X(cipher_setkey)                                                                               \
    X(cipher_setiv)                                                                                \
    X(cipher_encrypt)                                                                              \
    X(cipher_decrypt)                                                                              \
    X(cipher_gettag)                                                                               \
    X(cipher_checktag)                                                                             \
    X(cipher_ctl)                                                                                  \
    X(randomize)                                                                                   \
    X(strerror)

struct GcryptFunctions {
#define VQ_GCRYPT_POINTER(name) decltype(&::gcry_##name) name = nullptr;
    VQ_GCRYPT_FUNCTIONS(VQ_GCRYPT_POINTER)
#undef VQ_GCRYPT_POINTER
};

// The oldest libgcrypt with Argon2id.
constexpr const char* kLeastGcryptVersion = "1.10.0";

// Initialises the library as a program does once before using it: its notes kept from the
// user, no secure memory (the program wipes its own secrets), initialisation finished. Left as
// it is when another part of the process has done this already. False when the library is
// older than kLeastGcryptVersion.
//
// Random bytes come from the library's standard generator, which seeds itself from the
// system's (getrandom on Linux; on Windows RtlGenRandom among the sources of its slow poll).
// Its "system" generator is not used: on Windows it hands out that slow poll's raw output and
// runs the whole poll again on every call.
[[nodiscard]] bool StartGcrypt(const GcryptFunctions& functions);

class GcryptPrimitives final : public StrongPrimitives {
  public:
    explicit GcryptPrimitives(const GcryptFunctions& functions) : f_(functions) {}

    bool Argon2id(const unsigned char* password, std::size_t passwordLength,
                  const unsigned char* salt, std::size_t saltLength, const Argon2Cost& cost,
                  unsigned char* out) const override;
    bool HmacSha256(const unsigned char* key, std::size_t keyLength, const ByteRange* parts,
                    std::size_t partCount, unsigned char out[kSha256Length]) const override;
    bool Sha256(const unsigned char* data, std::size_t length,
                unsigned char out[kSha256Length]) const override;
    bool Random(unsigned char* out, std::size_t length) const override;
    CryptoFailure LastFailure() const override;
    // One cipher handle keyed once for all the chunks of a file: opening a handle makes the
    // library poll for entropy once its generator is in use, which under Wine costs about
    // 1.5 ms a chunk.
    std::unique_ptr<AeadSession> BeginAead(const unsigned char* key) const override;

  private:
    const GcryptFunctions f_;
};

#endif

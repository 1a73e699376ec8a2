// Primitives that hand every call to real ones (the chunks to the real library's sessions, as
// the programs use them), for test doubles that change or watch a few.
#ifndef VEILQUILL_TESTS_DELEGATING_PRIMITIVES_H
#define VEILQUILL_TESTS_DELEGATING_PRIMITIVES_H

#include "core/strong_primitives.h"

namespace vqtest {

class DelegatingPrimitives : public StrongPrimitives {
  public:
    explicit DelegatingPrimitives(const StrongPrimitives& real) : real_(real) {}

    bool Argon2id(const unsigned char* password, std::size_t passwordLength,
                  const unsigned char* salt, std::size_t saltLength, const Argon2Cost& cost,
                  unsigned char* out) const override {
        return real_.Argon2id(password, passwordLength, salt, saltLength, cost, out);
    }
    bool HmacSha256(const unsigned char* key, std::size_t keyLength, const ByteRange* parts,
                    std::size_t partCount, unsigned char out[kSha256Length]) const override {
        return real_.HmacSha256(key, keyLength, parts, partCount, out);
    }
    bool Sha256(const unsigned char* data, std::size_t length,
                unsigned char out[kSha256Length]) const override {
        return real_.Sha256(data, length, out);
    }
    std::unique_ptr<AeadSession> BeginAead(const unsigned char* key) const override {
        return real_.BeginAead(key);
    }
    bool Random(unsigned char* out, std::size_t length) const override {
        return real_.Random(out, length);
    }
    CryptoFailure LastFailure() const override { return real_.LastFailure(); }

  private:
    const StrongPrimitives& real_;
};

// Counts the key derivations (Argon2id runs) made through it.
class CountingPrimitives : public DelegatingPrimitives {
  public:
    using DelegatingPrimitives::DelegatingPrimitives;
    mutable int derivations = 0;

    bool Argon2id(const unsigned char* password, std::size_t passwordLength,
                  const unsigned char* salt, std::size_t saltLength, const Argon2Cost& cost,
                  unsigned char* out) const override {
        ++derivations;
        return DelegatingPrimitives::Argon2id(password, passwordLength, salt, saltLength, cost,
                                              out);
    }
};

} // namespace vqtest

#endif

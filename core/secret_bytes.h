// A fixed number of secret bytes (a derived key, a value computed from one), wiped when they
// go, and the comparison that takes as long whatever the bytes are.
#ifndef VEILQUILL_SECRET_BYTES_H
#define VEILQUILL_SECRET_BYTES_H

#include <cstddef>

#include "core/secret_key.h"

template <std::size_t N> class SecretBytes {
  public:
    SecretBytes() = default;
    ~SecretBytes() { WipeBytes(bytes_, N); }
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;

    unsigned char* data() { return bytes_; }
    const unsigned char* data() const { return bytes_; }
    static constexpr std::size_t size() { return N; }

  private:
    unsigned char bytes_[N] = {};
};

// Whether the two runs of `length` bytes are equal, looking at every byte whatever it finds,
// so that the time taken tells nothing of where they differ.
inline bool SameBytesInConstantTime(const unsigned char* a, const unsigned char* b,
                                    std::size_t length) {
    volatile unsigned char difference = 0;
    for (std::size_t i = 0; i < length; ++i)
        difference = static_cast<unsigned char>(difference | (a[i] ^ b[i]));
    return difference == 0;
}

#endif

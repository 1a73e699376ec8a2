// The keyed byte cipher of Veilquill files.
//
// Forward: for each key byte k_r in key order, every byte i of the buffer becomes
// ((b XOR (k_r + i + 1)) + 10) mod 256. Inverse: the same passes undone, last key byte first.
// The transform at a position depends only on the byte and the position modulo 256, so the
// whole key collapses into one substitution table per position class; the cost does not grow
// with the key length.
#ifndef VEILQUILL_KEY_CIPHER_H
#define VEILQUILL_KEY_CIPHER_H

#include <cstddef>
#include <cstdint>

constexpr std::size_t kMaxKeyLength = 63;

enum class CipherDirection { kForward, kInverse };

// A key prepared for one direction: for every position class (position mod 256) the byte
// substitution that all of the key's passes together make. 64 KiB; build it on the heap.
class KeyCipherTable {
  public:
    KeyCipherTable(const unsigned char* key, std::size_t keyLength, CipherDirection direction);
    // The table is as good as the key: it is wiped before its memory is given back.
    ~KeyCipherTable();
    KeyCipherTable(const KeyCipherTable&) = delete;
    KeyCipherTable& operator=(const KeyCipherTable&) = delete;

    // Transforms `length` bytes in place; data[0] is the byte at `firstPosition` of the
    // whole buffer, so a large buffer can be done in pieces.
    void Apply(unsigned char* data, std::size_t length, std::size_t firstPosition = 0) const;

  private:
    // substitution_[p * 256 + b]: what byte b at a position of class p becomes.
    unsigned char substitution_[256 * 256];
};

#endif

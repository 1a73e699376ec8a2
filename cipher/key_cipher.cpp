#include "cipher/key_cipher.h"

namespace {

constexpr unsigned char kPassIncrement = 10;
constexpr std::size_t kPositionClasses = 256;

} // namespace

KeyCipherTable::KeyCipherTable(const unsigned char* key, std::size_t keyLength,
                               CipherDirection direction) {
    if (key == nullptr)
        keyLength = 0;
    for (std::size_t p = 0; p < kPositionClasses; ++p) {
        // Row p starts as every byte value; the key's passes at class p, each with one
        // counter for the whole row, turn it into what each value becomes there.
        unsigned char* row = substitution_ + p * 256;
        for (std::size_t b = 0; b < 256; ++b)
            row[b] = static_cast<unsigned char>(b);
        if (direction == CipherDirection::kForward) {
            for (std::size_t r = 0; r < keyLength; ++r) {
                const auto counter = static_cast<unsigned char>(key[r] + 1 + p);
                for (std::size_t b = 0; b < 256; ++b)
                    row[b] = static_cast<unsigned char>((row[b] ^ counter) + kPassIncrement);
            }
        } else {
            for (std::size_t r = keyLength; r-- > 0;) {
                const auto counter = static_cast<unsigned char>(key[r] + 1 + p);
                for (std::size_t b = 0; b < 256; ++b)
                    row[b] = static_cast<unsigned char>((row[b] - kPassIncrement) ^ counter);
            }
        }
    }
}

KeyCipherTable::~KeyCipherTable() {
    // Writes through a volatile pointer are never left out as dead stores.
    volatile unsigned char* table = substitution_;
    for (std::size_t i = 0; i < sizeof substitution_; ++i)
        table[i] = 0;
}

void KeyCipherTable::Apply(unsigned char* data, std::size_t length,
                           std::size_t firstPosition) const {
    if (data == nullptr)
        return;
    std::size_t positionClass = firstPosition % kPositionClasses;
    while (length > 0 && positionClass != 0) {
        *data = substitution_[positionClass * 256 + *data];
        ++data;
        --length;
        positionClass = (positionClass + 1) % kPositionClasses;
    }
    // Whole runs of 256 positions, each starting at class 0. Eight look-ups per step, each
    // at a fixed offset from the step's first row, keep the loop to a load, a look-up and a
    // store per byte.
    while (length >= kPositionClasses) {
        const unsigned char* row = substitution_;
        for (std::size_t j = 0; j < kPositionClasses; j += 8, row += 8 * 256) {
            data[j + 0] = row[0 * 256 + data[j + 0]];
            data[j + 1] = row[1 * 256 + data[j + 1]];
            data[j + 2] = row[2 * 256 + data[j + 2]];
            data[j + 3] = row[3 * 256 + data[j + 3]];
            data[j + 4] = row[4 * 256 + data[j + 4]];
            data[j + 5] = row[5 * 256 + data[j + 5]];
            data[j + 6] = row[6 * 256 + data[j + 6]];
            data[j + 7] = row[7 * 256 + data[j + 7]];
        }
        data += kPositionClasses;
        length -= kPositionClasses;
    }
    for (std::size_t j = 0; j < length; ++j)
        data[j] = substitution_[j * 256 + data[j]];
}

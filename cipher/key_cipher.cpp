#include "cipher/key_cipher.h"

#include <memory>
#include <new>

namespace {

constexpr unsigned char kPassIncrement = 10;
constexpr std::size_t kPositionClasses = 256;

// kRamp.value[j] == j: added to a pass's first counter it gives the counters of a run of
// positions, in a form the compiler turns into vector instructions.
struct Ramp {
    unsigned char value[kPositionClasses];
    constexpr Ramp() : value() {
        for (std::size_t j = 0; j < kPositionClasses; ++j)
            value[j] = static_cast<unsigned char>(j);
    }
};
constexpr Ramp kRamp;

// Runs every forward pass over `count` bytes whose first lies at position class `firstClass`;
// firstClass + count must not exceed 256, so the counters of a pass need no wrap test.
void ForwardRun(const unsigned char* key, std::size_t keyLength, unsigned char* run,
                std::size_t count, std::size_t firstClass) {
    for (std::size_t r = 0; r < keyLength; ++r) {
        // The counter starts at the key byte and is raised before its first use.
        const auto first = static_cast<unsigned char>(key[r] + 1 + firstClass);
        for (std::size_t j = 0; j < count; ++j) {
            const auto counter = static_cast<unsigned char>(first + kRamp.value[j]);
            run[j] = static_cast<unsigned char>((run[j] ^ counter) + kPassIncrement);
        }
    }
}

// The inverse passes, last key byte first, under the same conditions as ForwardRun.
void InverseRun(const unsigned char* key, std::size_t keyLength, unsigned char* run,
                std::size_t count, std::size_t firstClass) {
    for (std::size_t r = keyLength; r-- > 0;) {
        const auto first = static_cast<unsigned char>(key[r] + 1 + firstClass);
        for (std::size_t j = 0; j < count; ++j) {
            const auto counter = static_cast<unsigned char>(first + kRamp.value[j]);
            run[j] = static_cast<unsigned char>((run[j] - kPassIncrement) ^ counter);
        }
    }
}

// The key's passes done position by position, a run of at most 256 positions at a time so
// that the run stays in the cache while every pass goes over it.
void DirectTransform(const unsigned char* key, std::size_t keyLength, CipherDirection direction,
                     unsigned char* data, std::size_t length, std::size_t firstPosition) {
    std::size_t positionClass = firstPosition % kPositionClasses;
    while (length > 0) {
        std::size_t count = kPositionClasses - positionClass;
        if (count > length)
            count = length;
        if (direction == CipherDirection::kForward)
            ForwardRun(key, keyLength, data, count, positionClass);
        else
            InverseRun(key, keyLength, data, count, positionClass);
        data += count;
        length -= count;
        positionClass = 0;
    }
}

void Transform(const unsigned char* key, std::size_t keyLength, CipherDirection direction,
               unsigned char* data, std::size_t length) {
    if (data == nullptr || length == 0 || key == nullptr || keyLength == 0)
        return;
    if (length >= kKeyCipherTableMinLength) {
        std::unique_ptr<KeyCipherTable> table(new (std::nothrow)
                                                  KeyCipherTable(key, keyLength, direction));
        if (table) {
            table->Apply(data, length);
            return;
        }
        // Without memory for the table the direct passes still give the same bytes.
    }
    DirectTransform(key, keyLength, direction, data, length, 0);
}

} // namespace

void KeyCipherForward(const unsigned char* key, std::size_t keyLength, unsigned char* data,
                      std::size_t length) {
    Transform(key, keyLength, CipherDirection::kForward, data, length);
}

void KeyCipherInverse(const unsigned char* key, std::size_t keyLength, unsigned char* data,
                      std::size_t length) {
    Transform(key, keyLength, CipherDirection::kInverse, data, length);
}

KeyCipherTable::KeyCipherTable(const unsigned char* key, std::size_t keyLength,
                               CipherDirection direction) {
    if (key == nullptr)
        keyLength = 0;
    // Row b holds byte b at every position class; the key's passes over the row turn it into
    // what b becomes at each class.
    for (std::size_t b = 0; b < 256; ++b) {
        unsigned char* row = substitution_ + b * kPositionClasses;
        for (std::size_t p = 0; p < kPositionClasses; ++p)
            row[p] = static_cast<unsigned char>(b);
        DirectTransform(key, keyLength, direction, row, kPositionClasses, 0);
    }
}

void KeyCipherTable::Apply(unsigned char* data, std::size_t length,
                           std::size_t firstPosition) const {
    if (data == nullptr)
        return;
    const unsigned char* const table = substitution_;
    std::size_t positionClass = firstPosition % kPositionClasses;
    while (length > 0 && positionClass != 0) {
        *data = table[(std::size_t{*data} << 8) + positionClass];
        ++data;
        --length;
        positionClass = (positionClass + 1) % kPositionClasses;
    }
    // Whole runs of 256 positions, each starting at class 0.
    while (length >= kPositionClasses) {
        for (std::size_t j = 0; j < kPositionClasses; ++j)
            data[j] = table[(std::size_t{data[j]} << 8) + j];
        data += kPositionClasses;
        length -= kPositionClasses;
    }
    for (std::size_t j = 0; j < length; ++j)
        data[j] = table[(std::size_t{data[j]} << 8) + j];
}

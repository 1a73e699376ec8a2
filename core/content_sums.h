// The two sums a job takes of what it reads, piece by piece. The plain text's checksum is what
// a key-check record holds. The fingerprint, 64 bits of a file's bytes as read, is what a save
// compares with the one its preview took, so that a file changed in between is never
// overwritten with a transform of other bytes: not a cryptographic hash, it only has to tell a
// changed file from an unchanged one, and is only ever compared within one run of the program,
// never stored.
#ifndef VEILQUILL_CONTENT_SUMS_H
#define VEILQUILL_CONTENT_SUMS_H

#include <cstddef>
#include <cstdint>

// The plain-text checksum summed piece by piece: the same value as the checksum of the whole.
class RunningChecksum {
  public:
    void Add(const unsigned char* data, std::size_t length);
    std::uint32_t Value() const { return sum_; }

  private:
    std::uint32_t sum_ = 0;
};

// The fingerprint taken piece by piece: pieces of any sizes give the value of the whole.
class RunningFingerprint {
  public:
    void Add(const unsigned char* data, std::size_t length);
    std::uint64_t Value() const;

  private:
    static constexpr int kLanes = 4;
    static constexpr std::size_t kBlock = 8 * kLanes; // the bytes one round takes

    void AddBlocks(const unsigned char* data, std::size_t blocks);

    // Four independent lanes of 8-byte words, so the multiplications overlap.
    std::uint64_t lane_[kLanes] = {0x243F6A8885A308D3ull, 0x13198A2E03707344ull,
                                   0xA4093822299F31D0ull, 0x082EFA98EC4E6C89ull};
    unsigned char carry_[kBlock] = {}; // the start of a block not yet whole
    std::size_t carried_ = 0;
    std::uint64_t length_ = 0;
};

#endif

#include "core/content_sums.h"

#include <cstring>

#include "cipher/content_checksum.h"

namespace {

constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;

std::uint64_t Mix(std::uint64_t state, std::uint64_t word) {
    state ^= word;
    state *= kMultiplier;
    return state ^ (state >> 29);
}

std::uint64_t LoadWord(const unsigned char* at) {
    std::uint64_t word = 0;
    std::memcpy(&word, at, sizeof word);
    return word;
}

} // namespace

void RunningFingerprint::AddBlocks(const unsigned char* data, std::size_t blocks) {
    std::uint64_t a = lane_[0], b = lane_[1], c = lane_[2], d = lane_[3];
    for (; blocks > 0; --blocks, data += kBlock) {
        a = Mix(a, LoadWord(data));
        b = Mix(b, LoadWord(data + 8));
        c = Mix(c, LoadWord(data + 16));
        d = Mix(d, LoadWord(data + 24));
    }
    lane_[0] = a, lane_[1] = b, lane_[2] = c, lane_[3] = d;
}

void RunningFingerprint::Add(const unsigned char* data, std::size_t length) {
    if (data == nullptr || length == 0)
        return;
    length_ += length;
    if (carried_ > 0) {
        const std::size_t take = length < kBlock - carried_ ? length : kBlock - carried_;
        std::memcpy(carry_ + carried_, data, take);
        carried_ += take;
        data += take;
        length -= take;
        if (carried_ < kBlock)
            return;
        AddBlocks(carry_, 1);
        carried_ = 0;
    }
    AddBlocks(data, length / kBlock);
    carried_ = length % kBlock;
    std::memcpy(carry_, data + length - carried_, carried_);
}

std::uint64_t RunningFingerprint::Value() const {
    // The bytes after the last whole block go one by one into the first lane.
    std::uint64_t first = lane_[0];
    for (std::size_t i = 0; i < carried_; ++i)
        first = Mix(first, carry_[i]);
    std::uint64_t result = Mix(length_, first);
    for (int j = 1; j < kLanes; ++j)
        result = Mix(result, lane_[j]);
    return result;
}

void RunningChecksum::Add(const unsigned char* data, std::size_t length) {
    sum_ += ContentChecksum(data, length); // both wrap modulo 2^32, so the sums add up
}

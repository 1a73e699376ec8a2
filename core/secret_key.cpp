#include "core/secret_key.h"

#include <cstring>

void WipeBytes(void* data, std::size_t length) {
    volatile unsigned char* bytes = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = 0;
}

KeyProblem CheckKeyBytes(const unsigned char* bytes, std::size_t length, std::size_t maxLength) {
    if (bytes == nullptr || length == 0)
        return KeyProblem::kEmpty;
    if (length > maxLength || length > kMaxStrongKeyLength)
        return KeyProblem::kTooLong;
    if (std::memchr(bytes, 0, length) != nullptr)
        return KeyProblem::kZeroByte;
    return KeyProblem::kNone;
}

void SecretLine::Append(unsigned char byte) {
    if (length_ < kCapacity)
        bytes_[length_++] = byte;
    else
        overlong_ = true;
}

void SecretLine::Assign(const void* bytes, std::size_t length) {
    Clear();
    const unsigned char* from = static_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < length; ++i)
        Append(from[i]);
}

void SecretLine::DropCarriageReturn() {
    if (!overlong_ && length_ > 0 && bytes_[length_ - 1] == '\r')
        bytes_[--length_] = 0;
}

void SecretLine::Clear() {
    WipeBytes(bytes_, sizeof bytes_);
    length_ = 0;
    overlong_ = false;
}

KeyProblem SecretKey::Assign(const SecretLine& line, std::size_t maxLength) {
    if (line.overlong()) {
        Clear();
        return KeyProblem::kTooLong;
    }
    return Assign(line.data(), line.size(), maxLength);
}

KeyProblem SecretKey::Assign(const unsigned char* bytes, std::size_t length,
                             std::size_t maxLength) {
    Clear();
    const KeyProblem problem = CheckKeyBytes(bytes, length, maxLength);
    if (problem != KeyProblem::kNone)
        return problem;
    std::memcpy(bytes_, bytes, length);
    length_ = length;
    return KeyProblem::kNone;
}

void SecretKey::Clear() {
    WipeBytes(bytes_, sizeof bytes_);
    length_ = 0;
}

bool SecretKey::operator==(const SecretKey& other) const {
    return length_ == other.length_ && std::memcmp(bytes_, other.bytes_, length_) == 0;
}

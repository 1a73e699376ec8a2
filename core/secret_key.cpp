#include "core/secret_key.h"

#include <cstring>

void WipeBytes(void* data, std::size_t length) {
    volatile unsigned char* bytes = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = 0;
}

KeyProblem CheckKeyBytes(const unsigned char* bytes, std::size_t length) {
    if (bytes == nullptr || length == 0)
        return KeyProblem::kEmpty;
    if (length > kMaxKeyLength)
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

void SecretLine::DropCarriageReturn() {
    if (!overlong_ && length_ > 0 && bytes_[length_ - 1] == '\r')
        bytes_[--length_] = 0;
}

void SecretLine::Clear() {
    WipeBytes(bytes_, sizeof bytes_);
    length_ = 0;
    overlong_ = false;
}

KeyProblem SecretKey::Assign(const SecretLine& line) {
    if (line.overlong()) {
        Clear();
        return KeyProblem::kTooLong;
    }
    return Assign(line.data(), line.size());
}

KeyProblem SecretKey::Assign(const unsigned char* bytes, std::size_t length) {
    Clear();
    const KeyProblem problem = CheckKeyBytes(bytes, length);
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

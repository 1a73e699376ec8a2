// Secrets held in memory only as long as they are needed, and wiped when they go: a typed or
// read key, and a fixed number of bytes derived from one.
#ifndef VEILQUILL_SECRET_KEY_H
#define VEILQUILL_SECRET_KEY_H

#include <cstddef>

#include "cipher/key_cipher.h"

// Overwrites `length` bytes in a way the compiler may not leave out.
void WipeBytes(void* data, std::size_t length);

// The most bytes a strong key may have (the UTF-8 of its text).
constexpr std::size_t kMaxStrongKeyLength = 255;

// Why a typed or read key cannot be used. Keys are refused whole, never cut.
enum class KeyProblem {
    kNone,
    kEmpty,
    kTooLong,  // more bytes than the format takes (kMaxKeyLength, kMaxStrongKeyLength)
    kZeroByte, // the window's key box cannot hold a zero byte, so no file could be opened there
    kNotInCodePage, // a character the original format's code page cannot hold exactly
};

// The rules a key must meet: 1 to `maxLength` bytes, none of them zero.
KeyProblem CheckKeyBytes(const unsigned char* bytes, std::size_t length,
                         std::size_t maxLength = kMaxKeyLength);

// A line read from a terminal, a file or standard input that holds a key, without its line
// end, or a key's text or bytes made from one; wiped when it goes. A line longer than the
// capacity is kept only as "too long".
class SecretLine {
  public:
    static constexpr std::size_t kCapacity = 1024;

    SecretLine() = default;
    ~SecretLine() { Clear(); }
    SecretLine(const SecretLine&) = delete;
    SecretLine& operator=(const SecretLine&) = delete;

    void Append(unsigned char byte);
    // Holds `length` bytes in place of what it held (too many: "too long").
    void Assign(const void* bytes, std::size_t length);
    // Drops a carriage return left at the end by a CR LF line end.
    void DropCarriageReturn();
    void Clear();

    const unsigned char* data() const { return bytes_; }
    std::size_t size() const { return length_; }
    bool overlong() const { return overlong_; }

  private:
    unsigned char bytes_[kCapacity] = {};
    std::size_t length_ = 0;
    bool overlong_ = false;
};

class SecretKey {
  public:
    SecretKey() = default;
    ~SecretKey() { Clear(); }
    SecretKey(const SecretKey&) = delete;
    SecretKey& operator=(const SecretKey&) = delete;

    // Takes the key when it meets the rules (at most `maxLength` bytes); otherwise keeps
    // nothing and says why.
    KeyProblem Assign(const unsigned char* bytes, std::size_t length,
                      std::size_t maxLength = kMaxKeyLength);
    KeyProblem Assign(const SecretLine& line, std::size_t maxLength = kMaxKeyLength);
    void Clear();

    const unsigned char* data() const { return bytes_; }
    std::size_t size() const { return length_; }
    bool empty() const { return length_ == 0; }
    bool operator==(const SecretKey& other) const;

  private:
    unsigned char bytes_[kMaxStrongKeyLength + 1] = {};
    std::size_t length_ = 0;
};

// A fixed number of secret bytes (a derived key, a value computed from one), wiped when they
// go.
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

#endif

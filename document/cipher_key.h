// The key as the user typed it: 1 to 63 characters, held only while a preview waits for its
// save. Its bytes are wiped when it is cleared and when it goes.
#ifndef VEILQUILL_CIPHER_KEY_H
#define VEILQUILL_CIPHER_KEY_H

#include <windows.h>

#include <cstddef>

#include "cipher/key_cipher.h"

class CipherKey {
  public:
    // The longest key and the terminator the edit control writes after it.
    static constexpr int kCapacity = static_cast<int>(kMaxKeyLength) + 1;

    CipherKey() = default;
    ~CipherKey() { Clear(); }
    CipherKey(const CipherKey&) = delete;
    CipherKey& operator=(const CipherKey&) = delete;

    void Clear() noexcept {
        SecureZeroMemory(text_, sizeof text_);
        length_ = 0;
    }

    // Takes the key from an edit control in place of the one held; returns its length.
    int ReadFrom(HWND edit) noexcept {
        Clear();
        const int length = GetWindowTextA(edit, text_, sizeof text_);
        length_ = length > 0 ? length : 0;
        return length_;
    }

    const unsigned char* Bytes() const noexcept {
        return reinterpret_cast<const unsigned char*>(text_);
    }
    std::size_t Length() const noexcept { return static_cast<std::size_t>(length_); }

  private:
    char text_[kCapacity] = {};
    int length_ = 0;
};

#endif

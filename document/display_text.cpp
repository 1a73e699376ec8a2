#include "document/display_text.h"

#include <cstring>

void ConvertForDisplay(unsigned char* data, std::size_t length) {
    if (data == nullptr)
        return;
    unsigned char* const end = data + length;
    // memchr skips the long runs without zero bytes that text files are made of.
    while (data < end) {
        void* zero = std::memchr(data, 0, static_cast<std::size_t>(end - data));
        if (zero == nullptr)
            return;
        data = static_cast<unsigned char*>(zero);
        *data++ = ' ';
    }
}

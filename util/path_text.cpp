#include "util/path_text.h"

#include <cstring>

const char* FileNamePart(const char* path) {
    if (path == nullptr)
        return "";
    const char* lastBackslash = std::strrchr(path, '\\');
    return lastBackslash != nullptr ? lastBackslash + 1 : path;
}

bool CopyWholeText(char* destination, std::size_t capacity, const char* source) {
    if (destination == nullptr || capacity == 0)
        return false;
    if (source == nullptr) {
        destination[0] = '\0';
        return false;
    }
    const std::size_t length = std::strlen(source);
    if (length + 1 > capacity) {
        destination[0] = '\0';
        return false;
    }
    std::memcpy(destination, source, length + 1);
    return true;
}

bool AppendWholeText(char* destination, std::size_t capacity, const char* tail) {
    if (destination == nullptr || tail == nullptr)
        return false;
    const void* end = std::memchr(destination, '\0', capacity);
    if (end == nullptr)
        return false; // not a terminated text within its capacity
    const std::size_t length =
        static_cast<std::size_t>(static_cast<const char*>(end) - destination);
    const std::size_t tailLength = std::strlen(tail);
    if (tailLength + 1 > capacity - length)
        return false;
    std::memcpy(destination + length, tail, tailLength + 1);
    return true;
}

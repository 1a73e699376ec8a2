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

namespace {

// Length, up to and with the backslash that ends it, of the share root "server\share\" whose
// server name starts at `server`; 0 when the text names no share there.
std::size_t ShareRootLength(const std::string& path, std::size_t server) {
    const std::size_t shareStart = path.find('\\', server);
    if (shareStart == std::string::npos || shareStart == server || shareStart + 1 >= path.size() ||
        path[shareStart + 1] == '\\')
        return 0;
    const std::size_t shareEnd = path.find('\\', shareStart + 1);
    return shareEnd == std::string::npos ? 0 : shareEnd + 1;
}

} // namespace

std::size_t PathRootLength(const std::string& path) {
    static const std::string kLongPrefix = "\\\\?\\";
    static const std::string kLongSharePrefix = "\\\\?\\UNC\\";
    if (path.compare(0, kLongSharePrefix.size(), kLongSharePrefix) == 0)
        return ShareRootLength(path, kLongSharePrefix.size());
    std::size_t start = 0;
    if (path.compare(0, kLongPrefix.size(), kLongPrefix) == 0)
        start = kLongPrefix.size();
    if (path.size() >= start + 3 && path[start + 1] == ':' && path[start + 2] == '\\')
        return start + 3;
    if (start == 0 && path.compare(0, 2, "\\\\") == 0)
        return ShareRootLength(path, 2);
    return 0;
}

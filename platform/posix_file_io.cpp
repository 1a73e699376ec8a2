#include "platform/posix_file_io.h"

#include <unistd.h>

#include <cerrno>

bool WriteAllAt(int fd, const unsigned char* data, std::size_t length, off_t offset, int& error) {
    while (length > 0) {
        const ssize_t written = pwrite(fd, data, length, offset);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        data += written;
        length -= static_cast<std::size_t>(written);
        offset += written;
    }
    return true;
}

bool ReadAllAt(int fd, unsigned char* data, std::size_t length, off_t offset) {
    while (length > 0) {
        const ssize_t got = pread(fd, data, length, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        length -= static_cast<std::size_t>(got);
        offset += got;
    }
    return true;
}

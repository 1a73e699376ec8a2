// Whole reads and writes at an offset through a file descriptor, as every part of the Linux
// platform makes them: a call the system cuts short or interrupts is taken up again.
#ifndef VEILQUILL_POSIX_FILE_IO_H
#define VEILQUILL_POSIX_FILE_IO_H

#include <sys/types.h>

#include <cstddef>

// False with the system's error in `error` when the write fails.
bool WriteAllAt(int fd, const unsigned char* data, std::size_t length, off_t offset, int& error);
// False when the read fails or the file ends first.
bool ReadAllAt(int fd, unsigned char* data, std::size_t length, off_t offset);

#endif

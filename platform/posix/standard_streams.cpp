// Standard input and standard output on Linux, read and written through their descriptors.
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"
#include "platform/posix/file_io.h"

namespace {

class PosixStandardInput final : public InputStream {
  public:
    FileFailure Read(unsigned char* data, std::size_t capacity, std::size_t& got) override {
        got = 0;
        for (;;) {
            const ssize_t read = ::read(STDIN_FILENO, data, capacity);
            if (read >= 0) {
                got = static_cast<std::size_t>(read);
                return FileFailure::kNone;
            }
            if (errno != EINTR)
                return FailureOf(errno, FileFailure::kReadFailed);
        }
    }
};

class PosixStandardOutput final : public OutputStream {
  public:
    // A reader that goes away is told by EPIPE, not by a signal that ends the program.
    PosixStandardOutput() { signal(SIGPIPE, SIG_IGN); }
    FileFailure Write(const unsigned char* data, std::size_t length) override {
        while (length > 0) {
            const ssize_t written = ::write(STDOUT_FILENO, data, length);
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return errno == EPIPE ? FileFailure::kOutputClosed
                                      : FailureOf(errno, FileFailure::kWriteFailed);
            }
            data += written;
            length -= static_cast<std::size_t>(written);
        }
        return FileFailure::kNone;
    }
};

} // namespace

bool StandardOutputIsTerminal() {
    return isatty(STDOUT_FILENO) == 1;
}

InputStream& StandardInput() {
    static PosixStandardInput input;
    return input;
}

OutputStream& StandardOutput() {
    static PosixStandardOutput output;
    return output;
}

// Standard input and standard output on Windows, read and written through their handles, with
// the C runtime's streams put in binary mode too so that nothing translates line ends.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>

#include "platform/platform.h"
#include "platform/win32/file_io.h"

namespace {

// The most one ReadFile or WriteFile is given.
constexpr std::size_t kStreamPiece = 1024 * 1024;

class Win32StandardInput final : public InputStream {
  public:
    Win32StandardInput() { _setmode(_fileno(stdin), _O_BINARY); }
    FileFailure Read(unsigned char* data, std::size_t capacity, std::size_t& got) override {
        got = 0;
        DWORD read = 0;
        const DWORD asked = static_cast<DWORD>(std::min(capacity, kStreamPiece));
        if (ReadFile(GetStdHandle(STD_INPUT_HANDLE), data, asked, &read, nullptr) != FALSE) {
            got = read;
            return FileFailure::kNone;
        }
        const DWORD error = GetLastError();
        // A pipe whose writer has closed it has ended.
        if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF)
            return FileFailure::kNone;
        return FailureOf(error, FileFailure::kReadFailed);
    }
};

class Win32StandardOutput final : public OutputStream {
  public:
    Win32StandardOutput() { _setmode(_fileno(stdout), _O_BINARY); }
    FileFailure Write(const unsigned char* data, std::size_t length) override {
        const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
        while (length > 0) {
            DWORD written = 0;
            const DWORD piece = static_cast<DWORD>(std::min(length, kStreamPiece));
            if (WriteFile(output, data, piece, &written, nullptr) == FALSE) {
                const DWORD error = GetLastError();
                // A pipe whose reader has gone: Windows says it is being closed, Wine that no
                // process is on its other end.
                if (error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE ||
                    error == ERROR_PIPE_NOT_CONNECTED)
                    return FileFailure::kOutputClosed;
                return FailureOf(error, FileFailure::kWriteFailed);
            }
            data += written;
            length -= written;
        }
        return FileFailure::kNone;
    }
};

} // namespace

bool StandardOutputIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != FALSE;
}

InputStream& StandardInput() {
    static Win32StandardInput input;
    return input;
}

OutputStream& StandardOutput() {
    static Win32StandardOutput output;
    return output;
}

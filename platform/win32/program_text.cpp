#include "platform/program_text.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/win32_wide_text.h"
#include "platform/win32_handles.h"

namespace {

// The console a standard stream writes to; null when it goes to a file or a pipe.
HANDLE ConsoleOf(std::FILE* stream) {
    const HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || GetConsoleMode(handle, &mode) == 0)
        return nullptr;
    return handle;
}

} // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    const UniqueArgumentList list(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::string> arguments;
    if (!list.valid()) {
        // No wide line to be had: the arguments as the runtime gave them.
        for (int i = 0; i < argc; ++i)
            arguments.emplace_back(argv[i]);
        return arguments;
    }
    for (int i = 0; i < count; ++i)
        arguments.push_back(Utf8FromWide(list.get()[i]));
    return arguments;
}

void WriteText(std::FILE* stream, const std::string& text) {
    const HANDLE console = ConsoleOf(stream);
    if (console == nullptr) {
        std::fwrite(text.data(), 1, text.size(), stream);
        return;
    }
    std::fflush(stream); // what the runtime holds comes first
    const std::wstring wide = WideFromUtf8(text);
    DWORD written = 0;
    for (std::size_t at = 0; at < wide.size(); at += written) {
        // A console takes a limited amount at once.
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(wide.size() - at, 8192));
        if (WriteConsoleW(console, wide.data() + at, piece, &written, nullptr) == 0 || written == 0)
            return;
    }
}

std::FILE* OpenForReading(const std::string& path) {
    return _wfopen(FileSystemPath(path).c_str(), L"rb");
}

// What the command-line program meets on Windows: its arguments, the environment, the console
// and the text it writes there.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "platform/program_text.h"
#include "platform/win32/file_io.h"
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

std::string EnvironmentValue(const char* name) {
    const std::wstring wideName = WideFromUtf8(name);
    const DWORD needed = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (needed == 0)
        return std::string();
    std::vector<wchar_t> value(needed + 1);
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), needed + 1);
    return length > 0 && length <= needed ? Utf8FromWide(value.data(), length) : std::string();
}

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
}

TerminalRead ReadSecretLine(const char* prompt, SecretLine& line) {
    line.Clear();
    const DWORD access = GENERIC_READ | GENERIC_WRITE;
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const UniqueHandle input = OpenExisting("CONIN$", access, share, 0);
    const UniqueHandle output = OpenExisting("CONOUT$", access, share, 0);
    DWORD saved = 0;
    if (!input.valid() || !output.valid() || GetConsoleMode(input.get(), &saved) == FALSE)
        return TerminalRead::kNoTerminal;
    DWORD written = 0;
    const std::wstring widePrompt = WideFromUtf8(prompt);
    WriteConsoleW(output.get(), widePrompt.c_str(), static_cast<DWORD>(widePrompt.size()), &written,
                  nullptr);
    SetConsoleMode(input.get(), (saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) |
                                    ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT);

    // Read as UTF-16, as the window's key box gives it, and handed on as UTF-8 text.
    TerminalRead result = TerminalRead::kFailed;
    wchar_t typed[64];
    wchar_t text[SecretLine::kCapacity + 1];
    std::size_t length = 0;
    bool ended = false;
    bool overlong = false;
    while (!ended) {
        DWORD count = 0;
        if (ReadConsoleW(input.get(), typed, sizeof typed / sizeof typed[0], &count, nullptr) ==
                FALSE ||
            count == 0)
            break;
        for (DWORD i = 0; i < count && !ended; ++i) {
            if (typed[i] == L'\r' || typed[i] == L'\n') {
                ended = true;
                result = TerminalRead::kRead;
            } else if (length < SecretLine::kCapacity) {
                text[length++] = typed[i];
            } else {
                overlong = true;
            }
        }
    }
    std::string utf8 = Utf8FromWide(text, length);
    line.Assign(utf8.data(), utf8.size());
    if (overlong)
        line.Append(0); // the line is full (each unit is at least one byte): "too long"
    if (!utf8.empty())
        WipeBytes(&utf8[0], utf8.size());
    WipeBytes(typed, sizeof typed);
    WipeBytes(text, sizeof text);
    SetConsoleMode(input.get(), saved);
    WriteConsoleW(output.get(), L"\r\n", 2, &written, nullptr);
    return result;
}

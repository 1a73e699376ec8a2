// The console and the environment on Windows, for the command-line program.
#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "platform/win32_file_io.h"
#include "util/wide_text.h"
#include "util/win_handles.h"

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
    WriteConsoleA(output.get(), prompt, static_cast<DWORD>(std::strlen(prompt)), &written, nullptr);
    SetConsoleMode(input.get(), (saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) |
                                    ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT);

    // Read as wide characters and turned into the system's ANSI code page, as the window's
    // key box does, so that a key typed here gives the same bytes as one typed there.
    TerminalRead result = TerminalRead::kFailed;
    wchar_t typed[64];
    bool ended = false;
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
                continue;
            }
            char bytes[8] = {};
            const int length =
                WideCharToMultiByte(CP_ACP, 0, &typed[i], 1, bytes, sizeof bytes, nullptr, nullptr);
            for (int b = 0; b < length; ++b)
                line.Append(static_cast<unsigned char>(bytes[b]));
            WipeBytes(bytes, sizeof bytes);
        }
    }
    WipeBytes(typed, sizeof typed);
    SetConsoleMode(input.get(), saved);
    WriteConsoleA(output.get(), "\r\n", 2, &written, nullptr);
    return result;
}

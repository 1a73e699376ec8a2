// What the stand-ins for other programs do: append the command line they were given, one line
// per start, to a log file beside themselves, for the test to read.
#ifndef VEILQUILL_TESTS_COMMAND_LINE_LOG_H
#define VEILQUILL_TESTS_COMMAND_LINE_LOG_H

#include <windows.h>

#include <cstring>

#include "platform/win32_handles.h"

namespace vqtest {

// Appends this process's command line to `logName` in the program's own folder; 0 on success.
inline int AppendCommandLineBesideProgram(const char* logName) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 1;
    char* cut = std::strrchr(path, '\\');
    if (cut == nullptr || static_cast<size_t>(cut - path) + 1 + std::strlen(logName) >= MAX_PATH)
        return 1;
    std::strcpy(cut + 1, logName);
    const UniqueHandle log(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log.valid())
        return 1;
    const char* commandLine = GetCommandLineA();
    DWORD written = 0;
    WriteFile(log.get(), commandLine, static_cast<DWORD>(std::strlen(commandLine)), &written,
              nullptr);
    WriteFile(log.get(), "\n", 1, &written, nullptr);
    return 0;
}

} // namespace vqtest

#endif

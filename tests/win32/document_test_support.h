// Files and folders for the document and store tests: a scratch folder of its own per test,
// whole-file reads and writes, and the cipher written out literally, one pass per key byte,
// so that expected bytes never come from the program's own cipher code.
#ifndef VEILQUILL_DOCUMENT_TEST_SUPPORT_H
#define VEILQUILL_DOCUMENT_TEST_SUPPORT_H

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scratch_folder.h"
#include "tests/native/literal_cipher.h"

namespace vqdoc {

using vqtest::RemoveTree;
using vqtest::ScratchFolder;

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok != FALSE && written == bytes.size();
}

inline std::optional<std::string> ReadBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string bytes;
    char piece[65536];
    DWORD got = 0;
    while (ReadFile(file, piece, sizeof piece, &got, nullptr) != FALSE && got > 0)
        bytes.append(piece, got);
    CloseHandle(file);
    return bytes;
}

inline std::vector<std::string> Entries(const std::string& folder);

// The same, sorted by name.
inline std::vector<std::string> SortedEntries(const std::string& folder);

inline bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Entry names of a folder, without "." and "..", in enumeration order.
inline std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

inline std::vector<std::string> SortedEntries(const std::string& folder) {
    std::vector<std::string> names = Entries(folder);
    std::sort(names.begin(), names.end());
    return names;
}

using ::LiteralChecksum;
using ::LiteralDecrypt;
using ::LiteralEncrypt;

inline std::string UpperHex8(std::uint32_t value) {
    char text[16];
    wsprintfA(text, "%08X", value);
    return text;
}

// A text of `size` bytes with some zero bytes and high bytes in it.
inline std::string SampleText(std::size_t size) {
    std::string text(size, 'a');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>(i % 61 == 7 ? 0 : (i % 97 == 3 ? 0xE9 : 'a' + i % 26));
    return text;
}

} // namespace vqdoc

#endif

// The one place where the programs' text (UTF-8 in a std::string, everywhere inside) meets
// Windows' (UTF-16 in the W functions). Windows-only: used by the Windows programs directly.
#ifndef VEILQUILL_WIDE_TEXT_H
#define VEILQUILL_WIDE_TEXT_H

#include <string>

// The UTF-16 form of a UTF-8 text. Bytes that are not UTF-8 become U+FFFD.
std::wstring WideFromUtf8(const std::string& text);

// The UTF-8 form of a UTF-16 text of `length` units (or up to its terminator when length is
// npos). An unpaired surrogate becomes U+FFFD.
std::string Utf8FromWide(const wchar_t* text, std::size_t length = std::wstring::npos);
inline std::string Utf8FromWide(const std::wstring& text) {
    return Utf8FromWide(text.c_str(), text.size());
}

// The full (absolute) form of `path`, as GetFullPathNameW makes it; empty when it fails.
std::wstring FullWidePath(const std::wstring& path);

// The form of a path that the W file-system functions take whatever its length: the path
// itself while it is short, and past the old limit of 260 characters its full form behind
// the \\?\ (or \\?\UNC\) prefix, which lifts the limit.
std::wstring FileSystemPath(const std::string& path);

#endif

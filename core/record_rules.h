// What a key-check record is: a file <n>.dat in the records folder (n in decimal, without
// leading zeros) holding the plain text's checksum as exactly 8 upper-case hexadecimal digits,
// with no line end. A lookup reads anything that may be a record and passes over the rest.
#ifndef VEILQUILL_RECORD_RULES_H
#define VEILQUILL_RECORD_RULES_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/folder_entry.h"

// Records are written with exactly this many digits; entries of more than kRecordReadLimit
// bytes are never records.
constexpr std::size_t kRecordTextLength = 8;
constexpr std::size_t kRecordReadLimit = 64;

// "0.dat", "1.dat", ...
std::string RecordName(std::uint32_t number);

// The 8 digits stored for `checksum`.
std::string RecordContent(std::uint32_t checksum);

// Whether a listed entry may be a record and is worth reading: not a name with a leading dot,
// a file, and 1 to kRecordReadLimit bytes long.
bool MayBeRecord(const FolderEntry& entry);

// The value of a record's bytes, read as hexadecimal text as the window always has (lower
// case too; the text ends at its first zero byte). False for an entry that cannot be a record
// (empty, or longer than kRecordReadLimit).
bool ParseRecordContent(const unsigned char* bytes, std::size_t length, std::uint32_t& value);

#endif

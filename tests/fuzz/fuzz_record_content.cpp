// Feeds arbitrary bytes to what reads untrusted input in the core: a record's content (any
// file in the records folder), a listed entry, and a key line from a key file or standard
// input. Checks each against a plain reading of its rule, with nothing read or written past
// a buffer (the sanitizers watch that).
#include "core/folder_entry.h"
#include "core/record_store.h"
#include "core/secret_key.h"
#include "util/number_text.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A record is 1 to 64 bytes read as hexadecimal text up to its first zero byte.
    std::uint32_t value = 0xFFFFFFFFu;
    const bool parsed = ParseRecordContent(data, size, value);
    Check(parsed == (size >= 1 && size <= kRecordReadLimit));
    if (parsed) {
        const std::string text(reinterpret_cast<const char*>(data), size);
        Check(value == ParseHex(text.c_str()));
        Check(
            ParseRecordContent(reinterpret_cast<const unsigned char*>(RecordContent(value).data()),
                               kRecordTextLength, value));
    }

    // Only a file of 1 to 64 bytes without a leading dot is read as a record.
    FolderEntry entry;
    entry.name.assign(reinterpret_cast<const char*>(data), size > 16 ? 16 : size);
    entry.kind = size > 0 ? static_cast<EntryKind>(data[0] % 4) : EntryKind::kFile;
    entry.size = size;
    Check(MayBeRecord(entry) ==
          (!entry.name.empty() && entry.name[0] != '.' && entry.kind == EntryKind::kFile &&
           size >= 1 && size <= kRecordReadLimit));

    // A key line: its first line without the line end; 1 to 63 bytes and no zero byte.
    SecretLine line;
    std::size_t length = 0;
    while (length < size && data[length] != '\n')
        line.Append(data[length++]);
    line.DropCarriageReturn();
    if (length > 0 && data[length - 1] == '\r' && length <= SecretLine::kCapacity)
        --length;
    SecretKey key;
    const KeyProblem problem = key.Assign(line);
    const bool hasZero = std::memchr(data, 0, length) != nullptr;
    if (length == 0)
        Check(problem == KeyProblem::kEmpty);
    else if (length > kMaxKeyLength)
        Check(problem == KeyProblem::kTooLong);
    else
        Check(problem == (hasZero ? KeyProblem::kZeroByte : KeyProblem::kNone));
    Check(problem != KeyProblem::kNone ||
          (key.size() == length && std::memcmp(key.data(), data, length) == 0));
    return 0;
}

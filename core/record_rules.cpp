#include "core/record_rules.h"

#include <cstring>

#include "util/number_text.h"

namespace {

constexpr char kRecordSuffix[] = ".dat";

} // namespace

std::string RecordName(std::uint32_t number) {
    char digits[12] = {};
    UnsignedDecimalText(number, digits, sizeof digits);
    return std::string(digits) + kRecordSuffix;
}

std::string RecordContent(std::uint32_t checksum) {
    char digits[kRecordTextLength + 1] = {};
    HexText8(checksum, digits);
    return std::string(digits, kRecordTextLength);
}

bool MayBeRecord(const FolderEntry& entry) {
    return !entry.name.empty() && entry.name[0] != '.' && entry.kind == EntryKind::kFile &&
           entry.size > 0 && entry.size <= kRecordReadLimit;
}

bool ParseRecordContent(const unsigned char* bytes, std::size_t length, std::uint32_t& value) {
    if (bytes == nullptr || length == 0 || length > kRecordReadLimit)
        return false;
    char text[kRecordReadLimit + 1] = {};
    std::memcpy(text, bytes, length);
    value = ParseHex(text);
    return true;
}

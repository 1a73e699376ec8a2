#include "core/record_store.h"

#include <cstring>
#include <limits>

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

std::optional<std::string> RecordStore::Write(std::uint32_t checksum) {
    if (!folder_.Create())
        return std::nullopt;
    const std::string content = RecordContent(checksum);
    for (std::uint32_t number = 0;; ++number) {
        std::string name = RecordName(number);
        switch (folder_.CreateExclusive(name, content)) {
        case CreateOutcome::kCreated:
            return name;
        case CreateOutcome::kTaken:
            if (number == std::numeric_limits<std::uint32_t>::max())
                return std::nullopt;
            continue;
        case CreateOutcome::kFailed:
            return std::nullopt;
        }
    }
}

bool RecordStore::Holds(RecordEntry& entry, std::uint32_t checksum) {
    std::string bytes;
    std::uint32_t value = 0;
    return entry.Read(bytes, kRecordReadLimit) &&
           ParseRecordContent(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                              value) &&
           value == checksum;
}

std::optional<std::string> RecordStore::Find(std::uint32_t checksum) {
    std::optional<std::string> match;
    folder_.ForEachEntry([&](const FolderEntry& entry) {
        if (!MayBeRecord(entry))
            return true;
        std::unique_ptr<RecordEntry> record = folder_.Open(entry.name);
        if (record == nullptr || !Holds(*record, checksum))
            return true;
        match = entry.name;
        return false;
    });
    return match;
}

bool RecordStore::DeleteIfHolds(const std::string& name, std::uint32_t checksum) {
    std::unique_ptr<RecordEntry> record = folder_.Open(name);
    return record != nullptr && Holds(*record, checksum) && record->Delete();
}

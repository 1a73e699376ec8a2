#include "core/record_store.h"

#include <limits>

#include "core/record_rules.h"

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

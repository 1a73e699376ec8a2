#include "store/checksum_store.h"

#include <cstring>
#include <memory>
#include <string>

#include "core/record_rules.h"
#include "core/record_store.h"
#include "platform/platform.h"
#include "util/number_text.h"
#include "util/path_text.h"

namespace {

// The folder part of a record's path (with its backslash) and the record's name.
bool SplitRecordPath(const char* recordPath, std::string& folder, std::string& name) {
    if (recordPath == nullptr)
        return false;
    const char* namePart = FileNamePart(recordPath);
    if (namePart == recordPath || *namePart == '\0')
        return false;
    folder.assign(recordPath, namePart);
    name = namePart;
    return true;
}

std::unique_ptr<RecordEntry> OpenRecord(const char* recordPath) {
    std::string folder;
    std::string name;
    if (!SplitRecordPath(recordPath, folder, name))
        return nullptr;
    return OpenRecordFolder(folder)->Open(name);
}

} // namespace

bool ChecksumStoreFolder(char* out, std::size_t capacity) {
    return CopyWholeText(out, capacity, DefaultRecordsFolder().c_str()) && out[0] != '\0';
}

bool WriteChecksumRecord(const char* storeFolder, const char* checksumText, char* recordPath,
                         std::size_t capacity) {
    if (storeFolder == nullptr || checksumText == nullptr || recordPath == nullptr ||
        capacity == 0 || std::strlen(checksumText) != kRecordTextLength)
        return false;
    recordPath[0] = '\0';
    std::unique_ptr<RecordFolder> folder = OpenRecordFolder(storeFolder);
    RecordStore store(*folder);
    const std::optional<std::string> name = store.Write(ParseHex(checksumText));
    if (!name)
        return false;
    if (!CopyWholeText(recordPath, capacity, (storeFolder + *name).c_str())) {
        store.DeleteIfHolds(*name, ParseHex(checksumText)); // nobody could name it again
        return false;
    }
    return true;
}

bool FindChecksumRecord(const char* storeFolder, std::uint32_t checksum, char* recordPath,
                        std::size_t capacity) {
    if (storeFolder == nullptr || recordPath == nullptr || capacity == 0)
        return false;
    recordPath[0] = '\0';
    std::unique_ptr<RecordFolder> folder = OpenRecordFolder(storeFolder);
    const std::optional<std::string> name = RecordStore(*folder).Find(checksum);
    return name && CopyWholeText(recordPath, capacity, (storeFolder + *name).c_str());
}

bool ReadChecksumRecord(const char* recordPath, std::uint32_t& value) {
    std::unique_ptr<RecordEntry> record = OpenRecord(recordPath);
    std::string bytes;
    return record != nullptr && record->Read(bytes, kRecordReadLimit) &&
           ParseRecordContent(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                              value);
}

bool DeleteChecksumRecord(const char* recordPath, std::uint32_t checksum) {
    std::string folder;
    std::string name;
    if (!SplitRecordPath(recordPath, folder, name))
        return false;
    return RecordStore(*OpenRecordFolder(folder)).DeleteIfHolds(name, checksum);
}

// The key-check records of the original format, kept in one folder: what a record is, and
// the store that writes, finds and deletes them over whatever that folder is on this
// platform. A record is a file <n>.dat in the records folder (n in decimal, without leading
// zeros) holding the plain text's checksum as exactly 8 upper-case hexadecimal digits, with no
// line end. A lookup reads anything that may be a record and passes over the rest.
#ifndef VEILQUILL_RECORD_STORE_H
#define VEILQUILL_RECORD_STORE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
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

// One opened entry of the records folder.
class RecordEntry {
  public:
    virtual ~RecordEntry() = default;
    // The whole content when it is at most `limit` bytes; false otherwise.
    virtual bool Read(std::string& bytes, std::size_t limit) = 0;
    // Removes this very file, not whatever may have taken its name since it was opened.
    virtual bool Delete() = 0;
};

enum class CreateOutcome { kCreated, kTaken, kFailed };

// What differs by platform: the folder itself.
class RecordFolder {
  public:
    virtual ~RecordFolder() = default;
    // The folder as the user knows it.
    virtual const std::string& Path() const = 0;
    virtual bool Exists() = 0;
    // Makes the folder, and any folder above it that is missing.
    virtual bool Create() = 0;
    // False when the folder cannot be listed.
    virtual bool ForEachEntry(const EntryVisitor& visit) = 0;
    // Creates `name` only when no entry has that name, with exactly `content`, flushed to
    // disk; kTaken when the name is in use by anything at all.
    virtual CreateOutcome CreateExclusive(const std::string& name, const std::string& content) = 0;
    virtual std::unique_ptr<RecordEntry> Open(const std::string& name) = 0;
};

class RecordStore {
  public:
    explicit RecordStore(RecordFolder& folder) : folder_(folder) {}

    // Stores `checksum` in a new record with the lowest free number, creating the folder
    // when needed. Each number is taken with an exclusive create, so two programs writing at
    // once never share one. The record's name, or nothing when it could not be written.
    [[nodiscard]] std::optional<std::string> Write(std::uint32_t checksum);

    // The first record, in the order the folder lists them, that holds `checksum`. Entries
    // that are not records are passed over.
    [[nodiscard]] std::optional<std::string> Find(std::uint32_t checksum);

    // Deletes the record `name` only while it still holds `checksum`: another program may
    // have reused its number since it verified a key.
    bool DeleteIfHolds(const std::string& name, std::uint32_t checksum);

  private:
    bool Holds(RecordEntry& entry, std::uint32_t checksum);

    RecordFolder& folder_;
};

#endif

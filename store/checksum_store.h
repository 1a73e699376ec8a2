// Checksum records: the only check of a decryption key. Each encrypted save leaves the plain
// text's checksum, as 8 hexadecimal digits, in a numbered file <n>.dat of the store folder
// (Data\ beside the program); a decryption is accepted when the decrypted bytes have the
// value of some record, and the record goes once the decrypted file is safely on disk.
//
// Every routine takes the store folder (with its trailing backslash), so the store can be
// used on any folder; ChecksumStoreFolder gives the program's own. The rules of the records
// (names, contents, numbering, what a lookup passes over) are the portable core's, shared
// with the command-line program; these routines give them the window's paths.
#ifndef VEILQUILL_CHECKSUM_STORE_H
#define VEILQUILL_CHECKSUM_STORE_H

#include <cstddef>
#include <cstdint>

#include "core/record_rules.h"

// "<program folder>\Data\". False (empty `out`) when it does not fit.
bool ChecksumStoreFolder(char* out, std::size_t capacity);

// Creates the folder when missing and stores the 8-digit `checksumText` in a new record with
// the lowest free number. The number is taken with CREATE_NEW, so two running copies of the
// program never share one. Writes the record's path into `recordPath`. False when the
// record could not be written completely (nothing is left behind then).
bool WriteChecksumRecord(const char* storeFolder, const char* checksumText, char* recordPath,
                         std::size_t capacity);

// Looks for a record whose value is `checksum`. Entries that are not records (names with a
// leading dot, folders, empty or over-long entries, entries that cannot be opened or read)
// are passed over. True, with the record's path in `recordPath`, when one matches.
bool FindChecksumRecord(const char* storeFolder, std::uint32_t checksum, char* recordPath,
                        std::size_t capacity);

// The value of one record; false when it is not a readable record.
bool ReadChecksumRecord(const char* recordPath, std::uint32_t& value);

// Removes the record at `recordPath` if it still holds `checksum`: another running copy may
// have removed it meanwhile and stored another file's checksum under the freed number. The
// record is held against other writers from the comparison to the delete. False when it was
// not removed.
bool DeleteChecksumRecord(const char* recordPath, std::uint32_t checksum);

#endif

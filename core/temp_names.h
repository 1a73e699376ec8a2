// The names of the temporary files a job writes beside the file it replaces or makes, and
// which of them a later job's clean-up removes. Folders keep such files and running copies of
// older programs make and clean them, so these forms never change: a temporary file's name is
// a prefix, ten characters of 0-9 and a-z, and ".tmp" (vq~0123456789.tmp on Windows, hidden
// by a leading dot on Linux: .vq~0123456789.tmp).
#ifndef VEILQUILL_TEMP_NAMES_H
#define VEILQUILL_TEMP_NAMES_H

#include <string>
#include <string_view>

// A temporary file's prefix on Windows, and on Linux.
constexpr char kTempPrefix[] = "vq~";
constexpr char kHiddenTempPrefix[] = ".vq~";
constexpr char kTempSuffix[] = ".tmp";
// Added to a file's name for its whole new content, kept beside it when the file could not be
// finished (hidden on Linux: .notes.txt.vq~new). The clean-up never takes it.
constexpr char kKeptCopySuffix[] = ".vq~new";
// How many fresh random names a job tries before it gives up.
constexpr int kNameAttempts = 100;

// `stem`, ten random characters of 0-9 and a-z, then `suffix`. Any thread may ask: the random
// source is one generator, seeded from the system's random device, behind a lock.
std::string RandomName(const std::string& stem, const char* suffix);

// Whether `name` is one that RandomName(prefix, kTempSuffix) gives.
bool IsTempName(std::string_view name, std::string_view prefix);

// What a folder's clean-up found out about an entry with a temporary name.
struct FoundTemp {
    bool plainFile = false; // a file itself: not a folder, a link or a device
    bool usersOwn = false;  // this user's, where the platform asks (Linux); else true
    bool inUse = false;     // a running job has it open; where the system cannot tell before a
                            // removal, a file in use is one that cannot be removed
};

// Whether the clean-up removes it: only a file that one of our jobs left when it was killed.
bool IsStaleTemp(const FoundTemp& found);

#endif

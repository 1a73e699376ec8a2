#include "store/checksum_store.h"

#include <windows.h>

#include <cstring>

#include "util/number_text.h"
#include "util/path_text.h"
#include "util/program_folder.h"
#include "util/win_handles.h"

namespace {

constexpr char kStoreFolderName[] = "Data\\";
constexpr char kRecordSuffix[] = ".dat";
constexpr char kAllEntries[] = "*.*";

// The name of record number `number` in the folder; false when it does not fit.
bool RecordName(const char* storeFolder, std::uint32_t number, char* out, std::size_t capacity) {
    char digits[12] = {};
    return UnsignedDecimalText(number, digits, sizeof digits) != 0 &&
           CopyWholeText(out, capacity, storeFolder) && AppendWholeText(out, capacity, digits) &&
           AppendWholeText(out, capacity, kRecordSuffix);
}

// Whether a failed CREATE_NEW failed because the name is taken (by a record, a folder or any
// other entry) rather than because the folder cannot be written.
bool NameIsTaken(const char* name, DWORD error) {
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        return true;
    return error == ERROR_ACCESS_DENIED && GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

bool WriteAll(HANDLE file, const char* text, DWORD length) {
    DWORD written = 0;
    return WriteFile(file, text, length, &written, nullptr) != FALSE && written == length &&
           FlushFileBuffers(file) != FALSE;
}

// Reads an open entry of 1 to kRecordReadLimit bytes as a zero-terminated text.
bool ReadRecordText(HANDLE entry, char (&text)[kRecordReadLimit + 1]) {
    std::memset(text, 0, sizeof text);
    LARGE_INTEGER size{};
    if (GetFileSizeEx(entry, &size) == FALSE || size.QuadPart <= 0 ||
        size.QuadPart > static_cast<LONGLONG>(kRecordReadLimit))
        return false;
    const auto length = static_cast<DWORD>(size.QuadPart);
    DWORD read = 0;
    return ReadFile(entry, text, length, &read, nullptr) != FALSE && read == length;
}

// The value of an open record; false when it is not a readable record.
bool ReadRecordValue(HANDLE entry, std::uint32_t& value) {
    char text[kRecordReadLimit + 1];
    if (!ReadRecordText(entry, text))
        return false;
    value = ParseHex(text);
    return true;
}

bool MayBeRecord(const WIN32_FIND_DATAA& entry) {
    if (entry.cFileName[0] == '.')
        return false;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    return entry.nFileSizeHigh == 0 && entry.nFileSizeLow > 0 &&
           entry.nFileSizeLow <= kRecordReadLimit;
}

} // namespace

bool ChecksumStoreFolder(char* out, std::size_t capacity) {
    if (!ProgramFolder(true, out, capacity))
        return false;
    if (!AppendWholeText(out, capacity, kStoreFolderName)) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool WriteChecksumRecord(const char* storeFolder, const char* checksumText, char* recordPath,
                         std::size_t capacity) {
    if (storeFolder == nullptr || checksumText == nullptr || recordPath == nullptr ||
        capacity == 0 || std::strlen(checksumText) != kRecordTextLength)
        return false;
    recordPath[0] = '\0';
    CreateDirectoryA(storeFolder, nullptr); // it may exist already

    char name[MAX_PATH] = {};
    for (std::uint32_t number = 0;; ++number) {
        if (!RecordName(storeFolder, number, name, sizeof name))
            return false;
        UniqueHandle record(CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
        if (!record.valid()) {
            if (NameIsTaken(name, GetLastError()) && number != UINT32_MAX)
                continue;
            return false;
        }
        const bool written = WriteAll(record.get(), checksumText, kRecordTextLength);
        const bool closed = record.close();
        if (!written || !closed || !CopyWholeText(recordPath, capacity, name)) {
            DeleteFileA(name);
            recordPath[0] = '\0';
            return false;
        }
        return true;
    }
}

bool FindChecksumRecord(const char* storeFolder, std::uint32_t checksum, char* recordPath,
                        std::size_t capacity) {
    if (storeFolder == nullptr || recordPath == nullptr || capacity == 0)
        return false;
    recordPath[0] = '\0';
    char pattern[MAX_PATH] = {};
    if (!CopyWholeText(pattern, sizeof pattern, storeFolder) ||
        !AppendWholeText(pattern, sizeof pattern, kAllEntries))
        return false;

    WIN32_FIND_DATAA entry{};
    UniqueFind search(FindFirstFileA(pattern, &entry));
    if (!search.valid())
        return false;
    do {
        if (!MayBeRecord(entry))
            continue;
        char path[MAX_PATH] = {};
        if (!CopyWholeText(path, sizeof path, storeFolder) ||
            !AppendWholeText(path, sizeof path, entry.cFileName))
            continue;
        std::uint32_t value = 0;
        if (ReadChecksumRecord(path, value) && value == checksum)
            return CopyWholeText(recordPath, capacity, path);
    } while (FindNextFileA(search.get(), &entry) != FALSE);
    return false;
}

bool ReadChecksumRecord(const char* recordPath, std::uint32_t& value) {
    if (recordPath == nullptr)
        return false;
    UniqueHandle entry(CreateFileA(recordPath, GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return entry.valid() && ReadRecordValue(entry.get(), value);
}

bool DeleteChecksumRecord(const char* recordPath, std::uint32_t checksum) {
    if (recordPath == nullptr || recordPath[0] == '\0')
        return false;
    // No other writer may change or remove the record between the comparison and the delete.
    UniqueHandle record(CreateFileA(recordPath, GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::uint32_t value = 0;
    if (!record.valid() || !ReadRecordValue(record.get(), value) || value != checksum)
        return false;
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(record.get(), FileDispositionInfo, &disposition,
                                      sizeof disposition) != FALSE &&
           record.close();
}

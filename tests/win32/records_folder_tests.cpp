// Key-check records in a folder on disk, through the records rules over this system's records
// folder: numbering, matching, deleting, and entries of the folder that are not records.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "core/record_store.h"
#include "platform/platform.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"
#include "util/number_text.h"
#include "util/path_text.h"

namespace vqtest {
namespace {

// The records at paths the tests name: a folder with its backslash, or a record's whole path.
bool WriteChecksumRecord(const char* folder, const char* text, char* path, std::size_t capacity) {
    path[0] = '\0';
    const std::optional<std::string> name =
        RecordStore(*OpenRecordFolder(folder)).Write(ParseHex(text));
    return name && CopyWholeText(path, capacity, (folder + *name).c_str());
}

bool FindChecksumRecord(const char* folder, std::uint32_t checksum, char* path,
                        std::size_t capacity) {
    path[0] = '\0';
    const std::optional<std::string> name = RecordStore(*OpenRecordFolder(folder)).Find(checksum);
    return name && CopyWholeText(path, capacity, (folder + *name).c_str());
}

bool DeleteChecksumRecord(const char* recordPath, std::uint32_t checksum) {
    const char* name = FileNamePart(recordPath);
    return RecordStore(*OpenRecordFolder(std::string(recordPath, name)))
        .DeleteIfHolds(name, checksum);
}

bool ReadChecksumRecord(const char* recordPath, std::uint32_t& value) {
    const char* name = FileNamePart(recordPath);
    std::unique_ptr<RecordEntry> record =
        OpenRecordFolder(std::string(recordPath, name))->Open(name);
    std::string bytes;
    return record != nullptr && record->Read(bytes, kRecordReadLimit) &&
           ParseRecordContent(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                              value);
}

std::string WriteRecord(const ScratchFolder& store, const char* text) {
    char path[MAX_PATH] = {};
    if (!WriteChecksumRecord(store.WithBackslash().c_str(), text, path, sizeof path))
        return std::string();
    return path;
}

std::string Find(const ScratchFolder& store, std::uint32_t checksum) {
    char path[MAX_PATH] = {};
    if (!FindChecksumRecord(store.WithBackslash().c_str(), checksum, path, sizeof path))
        return std::string();
    return path;
}

TEST(RecordsFolder, RecordsAreNumberedFromZeroAndFreedNumbersAreReusedLowestFirst) {
    ScratchFolder root;
    const std::string folder = root.File("Data");
    char path[MAX_PATH] = {};
    // The folder is made on demand.
    ASSERT_TRUE(WriteChecksumRecord((folder + "\\").c_str(), "000003E8", path, sizeof path));
    EXPECT_EQ(folder + "\\0.dat", path);
    EXPECT_EQ("000003E8", ReadBytes(folder + "\\0.dat").value_or("?"));

    ASSERT_TRUE(WriteChecksumRecord((folder + "\\").c_str(), "0000FFFF", path, sizeof path));
    EXPECT_EQ(folder + "\\1.dat", path);
    ASSERT_TRUE(WriteChecksumRecord((folder + "\\").c_str(), "00000001", path, sizeof path));
    EXPECT_EQ(folder + "\\2.dat", path);

    ASSERT_TRUE(DeleteChecksumRecord((folder + "\\1.dat").c_str(), 0xFFFFu));
    ASSERT_TRUE(DeleteChecksumRecord((folder + "\\0.dat").c_str(), 0x3E8u));
    ASSERT_TRUE(WriteChecksumRecord((folder + "\\").c_str(), "00000002", path, sizeof path));
    EXPECT_EQ(folder + "\\0.dat", path);
    ASSERT_TRUE(WriteChecksumRecord((folder + "\\").c_str(), "00000003", path, sizeof path));
    EXPECT_EQ(folder + "\\1.dat", path);
    EXPECT_EQ("00000003", ReadBytes(folder + "\\1.dat").value_or("?"));
}

TEST(RecordsFolder, ANumberTakenByAnotherEntryIsPassedOver) {
    ScratchFolder store;
    ASSERT_TRUE(CreateDirectoryA(store.File("0.dat").c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(store.File("1.dat"), "junk"));
    EXPECT_EQ(store.File("2.dat"), WriteRecord(store, "12345678"));
    EXPECT_EQ("junk", ReadBytes(store.File("1.dat")).value_or("?"));
}

TEST(RecordsFolder, AStoreThatCannotBeWrittenLeavesNoRecord) {
    ScratchFolder root;
    // A file named Data where the folder should be.
    ASSERT_TRUE(WriteBytes(root.File("Data"), "not a folder"));
    char path[MAX_PATH] = "unchanged";
    EXPECT_FALSE(
        WriteChecksumRecord((root.File("Data") + "\\").c_str(), "000003E8", path, sizeof path));
    EXPECT_STREQ("", path);
    EXPECT_EQ("not a folder", ReadBytes(root.File("Data")).value_or("?"));
    EXPECT_EQ(std::vector<std::string>{"Data"}, Entries(root.Path()));
}

TEST(RecordsFolder, ARecordMatchesItsValueInEitherCase) {
    ScratchFolder store;
    ASSERT_TRUE(WriteBytes(store.File("0.dat"), "0000abcd"));
    ASSERT_TRUE(WriteBytes(store.File("1.dat"), "DEADBEEF"));
    EXPECT_EQ(store.File("0.dat"), Find(store, 0xABCDu));
    EXPECT_EQ(store.File("1.dat"), Find(store, 0xDEADBEEFu));
    EXPECT_EQ("", Find(store, 0xABCEu));
    std::uint32_t value = 0;
    ASSERT_TRUE(ReadChecksumRecord(store.File("0.dat").c_str(), value));
    EXPECT_EQ(0xABCDu, value);
}

TEST(RecordsFolder, AMissingStoreFindsNothing) {
    ScratchFolder root;
    char path[MAX_PATH] = "unchanged";
    EXPECT_FALSE(FindChecksumRecord((root.File("Data") + "\\").c_str(), 0, path, sizeof path));
    EXPECT_STREQ("", path);
}

// The entries that are no records must come before the record in the enumeration, or the
// test would prove nothing: the record is written again under new names until it does.
std::string RecordAfterAll(const ScratchFolder& store, const std::vector<std::string>& junk,
                           const std::string& text) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        const std::string name = "r" + std::to_string(attempt) + ".dat";
        if (!WriteBytes(store.File(name), text))
            return std::string();
        const std::vector<std::string> order = Entries(store.Path());
        const auto record = std::find(order.begin(), order.end(), name);
        bool last = true;
        for (const std::string& entry : junk)
            last = last && std::find(order.begin(), record, entry) != record;
        if (last)
            return store.File(name);
        DeleteFileA(store.File(name).c_str());
    }
    return std::string();
}

TEST(RecordsFolder, EntriesThatAreNoRecordsDoNotEndTheLookup) {
    ScratchFolder store;
    ASSERT_TRUE(WriteBytes(store.File("empty.dat"), ""));
    ASSERT_TRUE(CreateDirectoryA(store.File("folder").c_str(), nullptr));
    // Longer than a record may be; its first digits would match.
    ASSERT_TRUE(WriteBytes(store.File("long.dat"), "000003E8" + std::string(60, '0')));
    ASSERT_TRUE(WriteBytes(store.File("locked.dat"), "00000001"));
    UniqueHandle locked = HoldOpen(store.File("locked.dat"), 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked.get());

    const std::string record =
        RecordAfterAll(store, {"empty.dat", "folder", "long.dat", "locked.dat"}, "000003E8");
    ASSERT_FALSE(record.empty()) << "no enumeration order put the record last";
    EXPECT_EQ(record, Find(store, 0x3E8u));
    // The unreadable entry is passed over, not taken for a match.
    EXPECT_EQ("", Find(store, 1u));
    locked.reset();
    EXPECT_EQ(store.File("locked.dat"), Find(store, 1u));
}

TEST(RecordsFolder, ALookupLeavesNoHandleOpen) {
    ScratchFolder store;
    ASSERT_TRUE(WriteBytes(store.File("0.dat"), "00000010"));
    ASSERT_TRUE(WriteBytes(store.File("1.dat"), "00000020"));
    ASSERT_TRUE(WriteBytes(store.File("empty"), ""));
    EXPECT_EQ(store.File("1.dat"), Find(store, 0x20u));
    EXPECT_EQ("", Find(store, 0x30u));
    // Open handles would keep the entries, or the folder, from being removed.
    EXPECT_TRUE(DeleteChecksumRecord(store.File("0.dat").c_str(), 0x10u));
    EXPECT_TRUE(DeleteChecksumRecord(store.File("1.dat").c_str(), 0x20u));
    EXPECT_TRUE(DeleteFileA(store.File("empty").c_str()));
    EXPECT_TRUE(RemoveDirectoryA(store.Path().c_str()));
    EXPECT_FALSE(DeleteChecksumRecord(store.File("1.dat").c_str(), 0x20u));
}

// Another running copy may have removed a record and stored another file's checksum under
// the freed number: a delete for the old checksum leaves that record alone. A record held
// open by another writer is not removed either.
TEST(RecordsFolder, ARecordIsDeletedOnlyWhileItHoldsTheChecksum) {
    ScratchFolder store;
    const std::string record = WriteRecord(store, "000003E8");
    ASSERT_EQ(store.File("0.dat"), record);
    ASSERT_TRUE(DeleteFileA(record.c_str()));
    ASSERT_EQ(record, WriteRecord(store, "00000BAD"));
    EXPECT_FALSE(DeleteChecksumRecord(record.c_str(), 0x3E8u));
    EXPECT_EQ("00000BAD", ReadBytes(record).value_or("?"));

    UniqueHandle writer(CreateFileA(record.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer.valid());
    EXPECT_FALSE(DeleteChecksumRecord(record.c_str(), 0xBADu));
    writer.reset();
    EXPECT_EQ("00000BAD", ReadBytes(record).value_or("?"));
    EXPECT_TRUE(DeleteChecksumRecord(record.c_str(), 0xBADu));
    EXPECT_TRUE(Entries(store.Path()).empty());
}

TEST(RecordsFolder, TwoWritersNeverTakeTheSameNumber) {
    ScratchFolder store;
    std::vector<std::string> paths(2 * 25);
    auto writer = [&](int first) {
        for (int i = first; i < first + 25; ++i) {
            char path[MAX_PATH] = {};
            if (WriteChecksumRecord(store.WithBackslash().c_str(), "00000042", path, sizeof path))
                paths[static_cast<std::size_t>(i)] = path;
        }
    };
    std::thread first(writer, 0);
    std::thread second(writer, 25);
    first.join();
    second.join();
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths.end(), std::adjacent_find(paths.begin(), paths.end()));
    EXPECT_EQ(50u, Entries(store.Path()).size());
    EXPECT_FALSE(paths.front().empty());
}

} // namespace
} // namespace vqtest

// Where veilquill-cli keeps its key-check records, how it numbers them, how a lookup passes
// over what is not a record, and how a record is deleted only while it is still the one that
// verified the key.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>

#include "core/record_store.h"
#include "platform/platform.h"
#include "tests/cli/cli_test_support.h"

namespace vqtest {
namespace {

const std::string kKey = "records";

class CliRecords : public ::testing::Test {
  protected:
    void SetUp() override {
        mkdir(Home().c_str(), 0755);
        WriteBytes(folder_.File("a.txt"), "alpha");
    }

    std::string Home() const { return folder_.File("home"); }

    CliRun Run(std::vector<std::string> args,
               std::map<std::string, std::optional<std::string>> env = {}) {
        CliCall call;
        call.args = std::move(args);
        call.input = kKey + "\n";
        call.env = std::move(env);
        call.workingFolder = folder_.Path();
        return RunCli(call, Home());
    }

    ScratchFolder folder_;
};

TEST_F(CliRecords, TheFolderComesFromDataThenTheEnvironmentThenTheXdgDefault) {
    CliRun run = Run({"encrypt", "--key-stdin", "--verbose", "a.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string fallback = Home() + "/.local/share/veilquill/Data";
    EXPECT_NE(run.err.find("records folder: " + fallback + "\n"), std::string::npos);
    EXPECT_EQ(SortedEntries(fallback), std::vector<std::string>{"0.dat"});
    struct stat info = {};
    stat(fallback.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    const std::string xdg = folder_.File("xdg");
    run = Run({"check", "--key-stdin", "-v", "a.txt"}, {{"XDG_DATA_HOME", xdg}});
    EXPECT_EQ(run.exitCode, 1); // the record is not in that folder
    EXPECT_NE(run.err.find("records folder: " + xdg + "/veilquill/Data\n"), std::string::npos);
    EXPECT_NE(run.err.find("(there is no records folder " + xdg + "/veilquill/Data)"),
              std::string::npos);
    // A relative XDG_DATA_HOME is not used.
    EXPECT_EQ(Run({"check", "--key-stdin", "a.txt"}, {{"XDG_DATA_HOME", "relative"}}).exitCode, 0);

    const std::string moved = folder_.File("moved");
    ASSERT_EQ(std::rename(fallback.c_str(), moved.c_str()), 0);
    EXPECT_EQ(Run({"check", "--key-stdin", "a.txt"}, {{"VEILQUILL_DATA", moved}}).exitCode, 0);
    EXPECT_EQ(Run({"check", "--key-stdin", "a.txt", "--data", moved},
                  {{"VEILQUILL_DATA", folder_.File("elsewhere")}})
                  .exitCode,
              0);
    EXPECT_EQ(Run({"decrypt", "--key-stdin", "a.txt", "--data", moved}).exitCode, 0);
    EXPECT_TRUE(SortedEntries(moved).empty());
}

TEST_F(CliRecords, NumbersAreTheLowestFreeAndJunkIsPassedOver) {
    const std::string data = folder_.File("Data");
    mkdir(data.c_str(), 0700);
    mkdir((data + "/0.dat").c_str(), 0700);            // a folder where a record could be
    WriteBytes(data + "/1.dat", "");                   // an empty entry
    WriteBytes(data + "/2.dat", std::string(65, '0')); // too long to be a record
    WriteBytes(data + "/.hidden", ExpectedRecord("alpha"));
    WriteBytes(data + "/notes", "not hex at all");

    CliRun run = Run({"encrypt", "--key-stdin", "--data", data, "a.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(data + "/3.dat"), ExpectedRecord("alpha"));
    WriteBytes(folder_.File("b.txt"), "beta");
    ASSERT_EQ(Run({"encrypt", "--key-stdin", "--data", data, "b.txt"}).exitCode, 0);
    EXPECT_EQ(ReadBytes(data + "/4.dat"), ExpectedRecord("beta"));

    run = Run({"decrypt", "--key-stdin", "--data", data, "a.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(folder_.File("a.txt")), "alpha");
    EXPECT_EQ(SortedEntries(data),
              (std::vector<std::string>{".hidden", "0.dat", "1.dat", "2.dat", "4.dat", "notes"}));
    // The freed number is taken again first.
    ASSERT_EQ(Run({"encrypt", "--key-stdin", "--data", data, "a.txt"}).exitCode, 0);
    EXPECT_TRUE(Exists(data + "/3.dat"));
}

TEST(RecordStoreDelete, ARecordThatNoLongerHoldsTheChecksumStays) {
    ScratchFolder folder;
    std::unique_ptr<RecordFolder> records = OpenRecordFolder(folder.File("Data"));
    RecordStore store(*records);
    const std::optional<std::string> first = store.Write(0x1234);
    ASSERT_EQ(first, std::optional<std::string>("0.dat"));
    EXPECT_EQ(store.Find(0x1234), first);

    // Another program deleted it and reused the number for another file's record.
    WriteBytes(folder.File("Data/0.dat"), "00009999");
    EXPECT_FALSE(store.DeleteIfHolds("0.dat", 0x1234));
    EXPECT_EQ(ReadBytes(folder.File("Data/0.dat")), "00009999");
    EXPECT_TRUE(store.DeleteIfHolds("0.dat", 0x9999));
    EXPECT_TRUE(SortedEntries(folder.File("Data")).empty());
}

TEST(RecordStoreDelete, ARecordReplacedAfterItWasReadIsKeptUnderItsName) {
    ScratchFolder folder;
    std::unique_ptr<RecordFolder> records = OpenRecordFolder(folder.File("Data"));
    RecordStore store(*records);
    ASSERT_TRUE(store.Write(0xAAAA));
    std::unique_ptr<RecordEntry> entry = records->Open("0.dat");
    ASSERT_NE(entry, nullptr);
    std::string bytes;
    ASSERT_TRUE(entry->Read(bytes, 64));

    // Between the read and the delete the name comes to lead to another record.
    WriteBytes(folder.File("stranger"), "0000BBBB");
    ASSERT_EQ(std::rename((folder.File("stranger")).c_str(), (folder.File("Data/0.dat")).c_str()),
              0);
    EXPECT_FALSE(entry->Delete());
    EXPECT_EQ(SortedEntries(folder.File("Data")), std::vector<std::string>{"0.dat"});
    EXPECT_EQ(ReadBytes(folder.File("Data/0.dat")), "0000BBBB");
}

} // namespace
} // namespace vqtest

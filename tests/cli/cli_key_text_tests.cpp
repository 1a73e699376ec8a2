// veilquill-cli end to end on keys typed as text: the original format's key in the code page
// of the user's language (or --codepage), refused when it cannot hold the key; the strong
// format's key as UTF-8 in NFC; key files in UTF-8 or "ANSI"; and files made by earlier copies.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "tests/cli/cli_test_support.h"

namespace vqtest {
namespace {

const std::string kCafe = "caf\xC3\xA9";                                         // café
const std::string kRussian = "\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C"; // пароль
const std::string kRussian1251 = "\xEF\xE0\xF0\xEE\xEB\xFC";

class CliKeyText : public ::testing::Test {
  protected:
    std::string Path(const std::string& name) const { return folder_.File(name); }
    std::string Data() const { return folder_.File("Data"); }

    // Runs the program in the test's folder, with the records in its Data folder, the key on
    // standard input and the environment's `env` added.
    CliRun Run(std::vector<std::string> args, const std::string& key,
               std::map<std::string, std::optional<std::string>> env = {}) {
        CliCall call;
        call.args = std::move(args);
        call.args.insert(call.args.begin() + 1, {"--key-stdin", "--data", Data()});
        call.input = key + "\n";
        call.env = std::move(env);
        call.workingFolder = folder_.Path();
        return RunCli(call, folder_.File("home"));
    }

    ScratchFolder folder_;
};

// "café" gives its code page 1252 bytes whether typed as UTF-8 or read from an "ANSI" key
// file with a byte-order mark or CR LF; a key the code page cannot hold is refused with
// nothing written, and --codepage or the user's language name another code page.
TEST_F(CliKeyText, TheOriginalFormatTakesTheCodePagesBytesAndRefusesWhatItCannotHold) {
    const std::string plain = "some notes";
    WriteBytes(Path("a.txt"), plain);
    CliRun run = Run({"encrypt", "a.txt"}, kCafe);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(Path("a.txt")), ExpectedEncryptedFile("caf\xE9", plain));
    for (const std::string& keyFile :
         {std::string("caf\xE9\r\n"), "\xEF\xBB\xBF" + kCafe + "\r\n"}) {
        WriteBytes(Path("key"), keyFile);
        CliCall call;
        call.args = {"check", "--key-file", "key", "--data", Data(), "a.txt"};
        call.workingFolder = folder_.Path();
        run = RunCli(call, folder_.File("home"));
        EXPECT_EQ(run.exitCode, 0) << run.err;
    }

    WriteBytes(Path("b.txt"), plain);
    run = Run({"encrypt", "b.txt"}, kRussian);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "encrypt: the key holds a character that the original format cannot store "
                       "in code page 1252; nothing was encrypted. The strong format (--strong) "
                       "takes any text\n");
    EXPECT_EQ(ReadBytes(Path("b.txt")), plain);
    EXPECT_EQ(SortedEntries(Data()), std::vector<std::string>{"0.dat"}) << "a.txt's record only";

    run = Run({"encrypt", "--codepage", "1251", "b.txt"}, kRussian);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(Path("b.txt")), ExpectedEncryptedFile(kRussian1251, plain));
    // A Russian user's language names 1251 without --codepage, installed or not.
    run = Run({"check", "b.txt"}, kRussian, {{"LANG", "ru_RU.UTF-8"}});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    run = Run({"check", "b.txt"}, kRussian1251, {{"LC_ALL", "ru_RU.CP1251"}});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    run = Run({"encrypt", "--codepage", "0", "c.txt"}, kRussian);
    EXPECT_EQ(run.exitCode, 2) << run.err;
}

// The strong format takes any text as UTF-8 in NFC: "пароль" from a UTF-8 key or a 1251 key
// file opens what it encrypted, and a key typed decomposed opens the file of the composed one.
TEST_F(CliKeyText, TheStrongFormatTakesAnyTextInNfc) {
    const std::string plain = "strong notes";
    WriteBytes(Path("s.txt"), plain);
    CliRun run = Run({"encrypt", "--strong", "s.txt"}, kRussian);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = Run({"check", "--codepage", "1251", "s.txt"}, kRussian1251);
    EXPECT_EQ(run.exitCode, 0) << run.err;

    WriteBytes(Path("t.txt"), plain);
    run = Run({"encrypt", "--strong", "t.txt"}, "\xC3\x85ngstr\xC3\xB6m");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = Run({"decrypt", "t.txt"}, "A\xCC\x8Angstro\xCC\x88m");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(Path("t.txt")), plain);
}

// A file and record that veilquill-cli 1.0.1 on Linux made with the UTF-8 bytes of "café"
// open with "café": the code page's bytes find no record, then the UTF-8 ones do.
TEST_F(CliKeyText, AnOriginalFileOfAnEarlierLinuxCopyStillOpens) {
    const std::string plain = "written by an earlier copy";
    WriteBytes(Path("old.txt"), ExpectedEncryptedFile(kCafe, plain));
    ASSERT_EQ(0, mkdir(Data().c_str(), 0700));
    WriteBytes(Data() + "/0.dat", ExpectedRecord(plain));
    CliRun run = Run({"check", "old.txt"}, kCafe);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    run = Run({"decrypt", "old.txt"}, kCafe);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(Path("old.txt")), plain);
    EXPECT_TRUE(SortedEntries(Data()).empty()) << "the record that verified it goes";
}

} // namespace
} // namespace vqtest

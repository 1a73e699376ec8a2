// The companion SendTo.exe seen from outside: run as Veilquill runs it (the bare command line
// "qj") and as the installer and uninstaller run it, against the user's real Send To folder.
#include <gtest/gtest.h>

#include <iostream>

#include "driver/ui_driver.h"
#include "install_support.h"

using namespace vqtest;

namespace {

std::string CompanionPath() {
    return UnixToWindowsPath(EnvironmentValue("VQ_SENDTO"));
}

class SendToCompanion : public ::testing::Test {
  protected:
    void SetUp() override { ForgetSendToEntry(); }
    void TearDown() override { ForgetSendToEntry(); }

    // A copy of Veilquill with its companion in a folder of its own below the test's folder.
    std::string PlaceCopy(const std::string& name) {
        const std::string folder = root.File(name);
        EXPECT_TRUE(MakeFolders(folder));
        EXPECT_TRUE(CopyFileTo(ProgramPath(), JoinPath(folder, "Veilquill.exe")));
        EXPECT_TRUE(CopyFileTo(CompanionPath(), JoinPath(folder, "SendTo.exe")));
        return folder;
    }

    // Runs the companion of the copy in `folder`: "qj" exactly as Veilquill starts it, with the
    // word as its whole command line; any other word after the quoted path, as an installer does.
    DWORD Run(const std::string& folder, const std::string& word) {
        const std::string companion = JoinPath(folder, "SendTo.exe");
        const std::string commandLine = word == "qj" ? word : QuotedCommandLine(companion, word);
        const auto start = Clock::now();
        const std::optional<DWORD> code = RunToEnd(companion, commandLine, kWaitMs);
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        std::cout << "SendTo.exe " << word << ": " << ms << " ms under Wine\n";
        EXPECT_TRUE(code.has_value()) << "SendTo.exe " << word << " did not end";
        return code.value_or(99);
    }

    std::string Target() const { return ShortcutTarget(SendToShortcutPath()).value_or(""); }
    static std::string ProgramIn(const std::string& folder) {
        return JoinPath(folder, "Veilquill.exe");
    }

    ScratchFolder root{"sendto"};
};

TEST_F(SendToCompanion, MakesTheEntryOnceAndLeavesADeletedEntryDeleted) {
    const std::string first = PlaceCopy("first");
    const std::string second = PlaceCopy("second");
    ASSERT_FALSE(FileExists(SendToShortcutPath()));

    EXPECT_EQ(0u, Run(first, "qj"));
    EXPECT_TRUE(SamePath(ProgramIn(first), Target())) << Target();
    EXPECT_TRUE(FileExists(SendToMarkPath())) << "the mark lies in the application-data folder";
    EXPECT_EQ(0u, Run(second, "qj"));
    EXPECT_TRUE(SamePath(ProgramIn(first), Target())) << "another copy leaves a working entry";

    ASSERT_TRUE(DeleteFileA(SendToShortcutPath().c_str()));
    EXPECT_EQ(0u, Run(first, "qj"));
    EXPECT_EQ(0u, Run(second, "qj"));
    EXPECT_FALSE(FileExists(SendToShortcutPath())) << "the user's deletion is respected";

    // Without a request, or with one it does not know, it changes nothing.
    EXPECT_EQ(0u, Run(first, ""));
    EXPECT_EQ(0u, Run(first, "install"));
    EXPECT_FALSE(FileExists(SendToShortcutPath()));
}

TEST_F(SendToCompanion, RepairsAnEntryWhoseProgramWasMoved) {
    const std::string before = PlaceCopy("before");
    EXPECT_EQ(0u, Run(before, "qj"));
    ASSERT_TRUE(SamePath(ProgramIn(before), Target())) << Target();

    const std::string after = root.File("after");
    ASSERT_TRUE(MoveFileA(before.c_str(), after.c_str()));
    EXPECT_EQ(0u, Run(after, "qj"));
    EXPECT_TRUE(SamePath(ProgramIn(after), Target())) << Target();
}

// The installer's option and the uninstaller: "add" makes the entry point here even after a
// deletion, "decline" takes back this copy's entry and keeps start-up from making it, and
// "remove" takes back only this copy's entry, after which a start makes it afresh.
TEST_F(SendToCompanion, InstallerAndUninstallerRequestsTouchOnlyTheirOwnEntry) {
    const std::string mine = PlaceCopy("mine");
    const std::string other = PlaceCopy("other");

    EXPECT_EQ(0u, Run(other, "qj"));
    EXPECT_EQ(0u, Run(mine, "remove"));
    EXPECT_TRUE(SamePath(ProgramIn(other), Target())) << "not this copy's entry";
    EXPECT_EQ(0u, Run(mine, "add"));
    EXPECT_TRUE(SamePath(ProgramIn(mine), Target())) << Target();

    EXPECT_EQ(0u, Run(mine, "decline"));
    EXPECT_FALSE(FileExists(SendToShortcutPath()));
    EXPECT_EQ(0u, Run(mine, "qj"));
    EXPECT_FALSE(FileExists(SendToShortcutPath())) << "declined in the installer";

    EXPECT_EQ(0u, Run(mine, "add"));
    EXPECT_EQ(0u, Run(mine, "remove"));
    EXPECT_FALSE(FileExists(SendToShortcutPath()));
    EXPECT_FALSE(FileExists(SendToMarkPath())) << "an uninstalled copy leaves no mark behind";
    EXPECT_EQ(0u, Run(mine, "qj"));
    EXPECT_TRUE(SamePath(ProgramIn(mine), Target())) << Target();
}

} // namespace

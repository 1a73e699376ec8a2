// The installer into a folder of any name, and the companion SendTo.exe with its program in such
// a folder and a Send To folder named outside the code page (as in a profile of a user whose name
// is Cyrillic). Under Wine in a session of their own: they change the user's Send To folder,
// Start menu and registry.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "driver/ui_driver.h"
#include "tests/support/literal_cipher.h"
#include "platform/win32_wide_text.h"
#include "platform/win32_handles.h"

using namespace vqtest;

namespace {

constexpr DWORD kInstallMs = 60000;
const std::wstring kShellFoldersKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::string EnvironmentPath(const char* name) {
    return UnixToWindowsPath(EnvironmentValue(name));
}

std::string ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return Utf8FromWide(path);
}

// The program a shortcut points at, read in UTF-16 from its item list (the shell starts the
// target from it; the path kept beside it is in the code page under Wine); empty when there is
// none.
std::string WideShortcutTarget(const std::string& shortcut) {
    const ComInitialization com = InitializeCom();
    UniqueCom<IShellLinkW> link;
    UniqueCom<IPersistFile> file;
    std::vector<wchar_t> target(32768, L'\0');
    if (!com || !FileExists(shortcut) ||
        FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.put()))) ||
        FAILED(
            link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()))) ||
        FAILED(file.get()->Load(WideFromUtf8(shortcut).c_str(), STGM_READ)))
        return std::string();
    PIDLIST_ABSOLUTE items = nullptr;
    if (link.get()->GetIDList(&items) != S_OK || items == nullptr)
        return std::string();
    const UniqueTaskMemory owned(items);
    if (!SHGetPathFromIDListEx(items, target.data(), static_cast<DWORD>(target.size()),
                               GPFIDL_DEFAULT))
        return std::string();
    return Utf8FromWide(target.data());
}

::testing::AssertionResult SamePath(const std::string& expected, const std::string& actual) {
    const std::wstring a = WideFromUtf8(expected);
    const std::wstring b = WideFromUtf8(actual);
    if (CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                             static_cast<int>(b.size()), TRUE) == CSTR_EQUAL)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "'" << actual << "', wanted '" << expected << "'";
}

DWORD RunToEnd(const std::string& program, const std::string& commandLine) {
    ChildProcess process;
    if (!process.Start(program, commandLine) || !process.WaitForExit(kInstallMs))
        return 99;
    return process.ExitCode().value_or(99);
}

// The user's Send To folder is `folder` while the object lives, then what it was.
class SendToFolderMoved {
  public:
    explicit SendToFolderMoved(const std::string& folder) {
        wchar_t before[MAX_PATH] = {};
        DWORD size = sizeof before;
        had_ = RegGetValueW(HKEY_CURRENT_USER, kShellFoldersKey.c_str(), L"SendTo",
                            RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, before,
                            &size) == ERROR_SUCCESS;
        before_ = before;
        Set(WideFromUtf8(folder));
    }
    ~SendToFolderMoved() {
        if (had_)
            Set(before_);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kShellFoldersKey.c_str(), L"SendTo");
    }
    SendToFolderMoved(const SendToFolderMoved&) = delete;
    SendToFolderMoved& operator=(const SendToFolderMoved&) = delete;

  private:
    static void Set(const std::wstring& value) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kShellFoldersKey.c_str(), L"SendTo", REG_EXPAND_SZ,
                        value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    bool had_ = false;
    std::wstring before_;
};

// SendTo.exe in a Cyrillic program folder puts its shortcut into a Send To folder named outside
// the code page, pointing at the program whole, and takes it back when asked.
TEST(SendToNames, TheEntryIsMadeInASendToFolderOfAnyNameForAProgramInOne) {
    ScratchFolder root{"sendto-names"};
    const std::string sendTo = root.File("Профиль 命令\\SendTo");
    ASSERT_TRUE(MakeFolders(sendTo));
    const SendToFolderMoved moved(sendTo);
    ASSERT_TRUE(SamePath(sendTo, ShellFolder(CSIDL_SENDTO))) << "the shell's Send To folder";

    const std::string folder = root.File("Программы 😀");
    ASSERT_TRUE(MakeFolders(folder));
    ASSERT_TRUE(CopyFileTo(ProgramPath(), JoinPath(folder, "Veilquill.exe")));
    const std::string companion = JoinPath(folder, "SendTo.exe");
    ASSERT_TRUE(CopyFileTo(EnvironmentPath("VQ_SENDTO"), companion));

    EXPECT_EQ(0u, RunToEnd(companion, QuotedCommandLine(companion, "add")));
    const std::string shortcut = JoinPath(sendTo, "Veilquill.lnk");
    EXPECT_TRUE(SamePath(JoinPath(folder, "Veilquill.exe"), WideShortcutTarget(shortcut)));
    EXPECT_EQ(0u, RunToEnd(companion, QuotedCommandLine(companion, "remove")));
    EXPECT_FALSE(FileExists(shortcut));
}

// The installer puts the program into a folder of any name; the program works there with its
// records beside it, an upgrade keeps them and so does the uninstaller.
TEST(InstallerNames, InstallsIntoAFolderOfAnyNameAndKeepsTheRecordsThere) {
    ScratchFolder root{"install-names"};
    const std::string folder = root.File("Программы 命令\\Veilquill 😀");
    const std::string setup = EnvironmentPath("VQ_SETUP");
    // /D= comes last and unquoted, as NSIS wants it.
    ASSERT_EQ(0u, RunToEnd(setup, QuotedCommandLine(setup, "/S /D=" + folder)));
    const std::string program = JoinPath(folder, "Program");
    for (const char* name : {"Veilquill.exe", "SendTo.exe", "veilquill-cli.exe"})
        EXPECT_TRUE(FileExists(JoinPath(program, name))) << name;
    const std::string shortcut = JoinPath(ShellFolder(CSIDL_SENDTO), "Veilquill.lnk");
    EXPECT_TRUE(SamePath(JoinPath(program, "Veilquill.exe"), WideShortcutTarget(shortcut)));

    // The installed command-line program encrypts a file with a Greek name; its record lies
    // beside it.
    const std::string greek = root.File("Ελληνικά.txt");
    const std::string keyFile = root.File("key.txt");
    ASSERT_TRUE(WriteBytes(greek, "plain words") && WriteBytes(keyFile, "secret\r\n"));
    const std::string cli = JoinPath(program, "veilquill-cli.exe");
    EXPECT_EQ(0u, RunToEnd(cli, QuotedCommandLine(cli, "encrypt --key-file \"" + keyFile + "\" \"" +
                                                           greek + "\"")));
    EXPECT_EQ(ExpectedEncryptedFile("secret", "plain words"), ReadBytes(greek).value_or("<none>"));
    const std::vector<std::string> records{"0.dat"};
    EXPECT_EQ(records, SortedEntries(JoinPath(program, "Data")));

    ASSERT_EQ(0u, RunToEnd(setup, QuotedCommandLine(setup, "/S /D=" + folder)));
    EXPECT_EQ(records, SortedEntries(JoinPath(program, "Data"))) << "an upgrade keeps them";

    const std::string uninstaller = JoinPath(folder, "Uninstall.exe");
    ASSERT_EQ(0u, RunToEnd(uninstaller, QuotedCommandLine(uninstaller, "/S")));
    // The uninstaller's copy of itself does the work after it has ended.
    EXPECT_TRUE(WaitUntil(
        [&] {
            return !FileExists(uninstaller) &&
                   SortedEntries(folder) == std::vector<std::string>{"Program"};
        },
        kInstallMs))
        << "left: " << ::testing::PrintToString(SortedEntries(folder));
    EXPECT_EQ(records, SortedEntries(JoinPath(program, "Data"))) << "the uninstaller keeps them";
    EXPECT_FALSE(FileExists(shortcut));
}

} // namespace

// The companion SendTo.exe and the installer of this test's own build (32-bit or 64-bit) under
// Wine, in a session of their own: they change the user's Send To folder, Start menu and
// registry.
#include <gtest/gtest.h>

#include <iostream>

#include <shlobj.h>
#include <tlhelp32.h>

#include "driver/ui_driver.h"
#include "platform/win32_handles.h"

using namespace vqtest;

namespace {

const std::string kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veilquill";
const std::string kRecord = "000003E8"; // a key-check record: one checksum as 8 hex digits
constexpr DWORD kInstallMs = 60000;

std::string ShellFolder(int csidl, const std::string& name) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return JoinPath(path, name);
}
std::string SendToShortcut() {
    return ShellFolder(CSIDL_SENDTO, "Veilquill.lnk");
}
std::string SendToMark() {
    return ShellFolder(CSIDL_APPDATA, "Veilquill\\SendToEntryMade.txt");
}
std::string Installed(const std::string& name) {
    return ShellFolder(CSIDL_LOCAL_APPDATA, "Programs\\Veilquill\\" + name);
}
std::string InstalledProgram() {
    return Installed("Program\\Veilquill.exe");
}
std::string EnvironmentPath(const char* name) {
    return UnixToWindowsPath(EnvironmentValue(name));
}

// As a user who never ran Veilquill: no Send To entry and no mark.
void ForgetSendToEntry() {
    DeleteFileA(SendToShortcut().c_str());
    DeleteFileA(SendToMark().c_str());
    RemoveDirectoryA(ShellFolder(CSIDL_APPDATA, "Veilquill").c_str());
}

// The program a shortcut points at (IShellLinkA::GetPath), empty when there is none.
std::string ShortcutTarget(const std::string& shortcut) {
    const ComInitialization com = InitializeCom();
    UniqueCom<IShellLinkA> link;
    UniqueCom<IPersistFile> file;
    wchar_t widePath[MAX_PATH] = {};
    char target[MAX_PATH] = {};
    if (!com || !FileExists(shortcut) ||
        FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(link.put()))) ||
        FAILED(
            link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()))) ||
        !MultiByteToWideChar(CP_ACP, 0, shortcut.c_str(), -1, widePath, MAX_PATH) ||
        FAILED(file.get()->Load(widePath, STGM_READ)) ||
        link.get()->GetPath(target, MAX_PATH, nullptr, 0) != S_OK)
        return std::string();
    return target;
}

// Paths as Windows compares them.
::testing::AssertionResult SamePath(const std::string& expected, const std::string& actual) {
    if (lstrcmpiA(expected.c_str(), actual.c_str()) == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "'" << actual << "', wanted '" << expected << "'";
}

// A value under HKEY_CURRENT_USER\<kUninstallKey>: text, or a number as its decimal text. It is
// read in the registry's 64-bit view, where Windows' own list of installed programs looks,
// whichever build's installer wrote it.
void CloseRegistryKey(HKEY key) noexcept {
    RegCloseKey(key);
}
using UniqueRegistryKey = Unique<NullIsInvalid<HKEY, CloseRegistryKey>>;

std::string UninstallValue(const char* name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey.c_str(), 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
        return std::string();
    const UniqueRegistryKey key(opened);
    char value[1024] = {};
    DWORD size = sizeof value;
    DWORD type = 0;
    if (RegGetValueA(key.get(), nullptr, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, value,
                     &size) != ERROR_SUCCESS)
        return std::string();
    if (type == REG_DWORD)
        return std::to_string(*reinterpret_cast<const DWORD*>(value));
    return value;
}

// Runs a program with this command line to its end; its exit code (99: it did not end).
DWORD RunToEnd(const std::string& program, const std::string& commandLine,
               DWORD timeoutMs = kInstallMs) {
    ChildProcess process;
    if (!process.Start(program, commandLine) || !process.WaitForExit(timeoutMs))
        return 99;
    return process.ExitCode().value_or(99);
}

// ---------------------------------------------------------------------------------------------
// The companion, run as Veilquill runs it (the bare command line "qj") and as the installer
// and the uninstaller run it (the quoted path, then the word).

class SendToCompanion : public ::testing::Test {
  protected:
    void SetUp() override { ForgetSendToEntry(); }
    void TearDown() override { ForgetSendToEntry(); }

    // A copy of Veilquill with its companion in a folder of its own.
    std::string PlaceCopy(const std::string& name) {
        const std::string folder = root.File(name);
        EXPECT_TRUE(MakeFolders(folder));
        EXPECT_TRUE(CopyFileTo(ProgramPath(), JoinPath(folder, "Veilquill.exe")));
        EXPECT_TRUE(CopyFileTo(EnvironmentPath("VQ_SENDTO"), JoinPath(folder, "SendTo.exe")));
        return folder;
    }

    void Run(const std::string& folder, const std::string& word) {
        const std::string companion = JoinPath(folder, "SendTo.exe");
        const auto start = Clock::now();
        EXPECT_EQ(0u, RunToEnd(companion, word == "qj" ? word : QuotedCommandLine(companion, word)))
            << word;
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        std::cout << "SendTo.exe " << word << ": " << ms << " ms under Wine\n";
    }

    static std::string ProgramIn(const std::string& folder) {
        return JoinPath(folder, "Veilquill.exe");
    }

    ScratchFolder root{"sendto"};
};

TEST_F(SendToCompanion, MakesTheEntryOnceRespectsItsDeletionAndRepairsAMovedOne) {
    const std::string first = PlaceCopy("first");
    const std::string other = PlaceCopy("other");
    Run(first, "qj");
    EXPECT_TRUE(SamePath(ProgramIn(first), ShortcutTarget(SendToShortcut())));
    EXPECT_TRUE(FileExists(SendToMark())) << "the mark lies in the application-data folder";
    Run(other, "qj");
    EXPECT_TRUE(SamePath(ProgramIn(first), ShortcutTarget(SendToShortcut())))
        << "another copy leaves a working entry alone";

    const std::string moved = root.File("moved");
    ASSERT_TRUE(MoveFileA(first.c_str(), moved.c_str()));
    Run(moved, "qj");
    EXPECT_TRUE(SamePath(ProgramIn(moved), ShortcutTarget(SendToShortcut())));

    ASSERT_TRUE(DeleteFileA(SendToShortcut().c_str()));
    Run(moved, "qj");
    Run(other, "");
    Run(other, "install"); // no request it knows
    EXPECT_FALSE(FileExists(SendToShortcut())) << "the user's deletion is respected";
}

// "add" (the installer's ticked option) makes the entry point here even after a deletion,
// "decline" takes this copy's entry back and keeps start-up from making it, "remove" (the
// uninstaller) takes back only this copy's entry, after which a start makes it afresh.
TEST_F(SendToCompanion, InstallerAndUninstallerRequestsTouchOnlyTheirOwnEntry) {
    const std::string mine = PlaceCopy("mine");
    const std::string other = PlaceCopy("other");
    Run(other, "qj");
    Run(mine, "remove");
    EXPECT_TRUE(SamePath(ProgramIn(other), ShortcutTarget(SendToShortcut())));
    Run(mine, "add");
    EXPECT_TRUE(SamePath(ProgramIn(mine), ShortcutTarget(SendToShortcut())));

    Run(mine, "decline");
    Run(mine, "qj");
    EXPECT_FALSE(FileExists(SendToShortcut()));

    Run(mine, "add");
    Run(mine, "remove");
    EXPECT_FALSE(FileExists(SendToShortcut()));
    EXPECT_FALSE(FileExists(SendToMark())) << "an uninstalled copy leaves no mark behind";
    Run(mine, "qj");
    EXPECT_TRUE(SamePath(ProgramIn(mine), ShortcutTarget(SendToShortcut())));
}

// ---------------------------------------------------------------------------------------------
// The installer

// The uninstaller copies itself elsewhere and returns at once; the copy does the work and
// lastly removes the folders it left empty: with a record, Program\Data is all that stays.
// The uninstaller runs a copy of itself from the temporary folder (Un.exe; Un_A.exe or Au_.exe
// in other NSIS versions) and ends at once; the copy does the work. Waits until every such copy has
// ended, since it goes on trying to remove folders after the uninstaller itself is gone.
void WaitForUninstallerCopies() {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid())
        return;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        const char* name = entry.szExeFile;
        if (_strnicmp(name, "Un.", 3) != 0 && _strnicmp(name, "Un_", 3) != 0 &&
            _strnicmp(name, "Au_", 3) != 0)
            continue;
        UniqueHandle copy(OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (copy.valid())
            WaitForSingleObject(copy.get(), kInstallMs);
    }
}

bool WaitUntilUninstalled(bool recordKept) {
    const auto left = recordKept ? std::vector<std::string>{"Program"} : std::vector<std::string>{};
    WaitForUninstallerCopies();
    return WaitUntil(
        [&] {
            return UninstallValue("DisplayName").empty() &&
                   !FileExists(Installed("Uninstall.exe")) && SortedEntries(Installed("")) == left;
        },
        kInstallMs);
}

// Closes a program by its main window and waits for its process to end: the installer and the
// uninstaller wait while any Veilquill window is left.
bool CloseProgram(HWND mainWindow) {
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, WindowProcessId(mainWindow)));
    return process && PostMessageA(mainWindow, WM_CLOSE, 0, 0) &&
           WaitForSingleObject(process.get(), kWaitMs) == WAIT_OBJECT_0;
}

// The first visible window for which `match` holds: a top-level window of any process when
// `parent` is null, else a window below it at any depth.
HWND WaitForWindowWhere(HWND parent, const std::function<bool(HWND)>& match) {
    struct Search {
        const std::function<bool(HWND)>& match;
        HWND found;
    } search{match, nullptr};
    const WNDENUMPROC visit = [](HWND window, LPARAM param) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (IsWindowVisible(window) && s->match(window))
            s->found = window;
        return s->found == nullptr;
    };
    WaitUntil([&] {
        if (parent == nullptr)
            EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
        else
            EnumChildWindows(parent, visit, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    return search.found;
}
HWND WaitForText(HWND wizard, const std::string& text) {
    return WaitForWindowWhere(wizard, [&](HWND child) { return WindowText(child) == text; });
}

void Screenshot(const std::string& name, HWND window) {
    Pause(400); // let the page finish painting
    std::cout << "screenshot: " << SaveScreenshot(name, window) << "\n";
}

class Installer : public ::testing::Test {
  protected:
    void SetUp() override { Forget(); }
    void TearDown() override { Forget(); }

    static void Forget() {
        const std::string quiet = UninstallValue("QuietUninstallString");
        if (!quiet.empty()) {
            RunToEnd(Installed("Uninstall.exe"), quiet);
            WaitUntilUninstalled(FolderExists(Installed("Program\\Data")));
        }
        RemoveTree(Installed(""));
        ForgetSendToEntry();
    }

    // The files, and the Send To entry pointing at the installed program, which is of this
    // test's build: the 32-bit installer puts in 32-bit programs, the 64-bit one 64-bit ones.
    static void ExpectInstalled() {
        for (const char* name :
             {"Program\\Veilquill.exe", "Program\\SendTo.exe", "Program\\veilquill-cli.exe",
              "Program\\libgcrypt-20.dll", "Program\\libgpg-error-0.dll", "Help\\Veilquill.chm",
              "Licenses\\libgcrypt.txt", "Licenses\\libgpg-error.txt", "Licenses\\LGPL-2.1.txt",
              "Licenses\\Sources.txt", "ReadMe.txt", "Uninstall.exe"})
            EXPECT_TRUE(FileExists(Installed(name))) << name;
        const DWORD ownKind = sizeof(void*) == 8 ? SCS_64BIT_BINARY : SCS_32BIT_BINARY;
        for (const char* name :
             {"Program\\Veilquill.exe", "Program\\SendTo.exe", "Program\\veilquill-cli.exe"}) {
            DWORD kind = ~DWORD{0};
            EXPECT_TRUE(GetBinaryTypeA(Installed(name).c_str(), &kind) && kind == ownKind)
                << name << " is of kind " << kind << ", wanted " << ownKind;
        }
        EXPECT_TRUE(SamePath(InstalledProgram(), ShortcutTarget(SendToShortcut())))
            << "the Send To option is on by default";
    }

    // The installed command-line program finds libgcrypt's DLLs installed beside it, of its own
    // build, and encrypts and decrypts a file in the strong format with them.
    static void ExpectStrongFormatWorks() {
        const ScratchFolder work("strong");
        const std::string file = work.File("note.txt");
        const std::string key = work.File("key.txt");
        ASSERT_TRUE(WriteBytes(file, "a note") && WriteBytes(key, "secret\r\n"));
        const std::string cli = Installed("Program\\veilquill-cli.exe");
        const std::string files = "--key-file \"" + key + "\" \"" + file + "\"";
        EXPECT_EQ(0u, RunToEnd(cli, QuotedCommandLine(cli, "encrypt --strong " + files)));
        EXPECT_NE("a note", ReadBytes(file).value_or("a note"));
        EXPECT_EQ(0u, RunToEnd(cli, QuotedCommandLine(cli, "decrypt " + files)));
        EXPECT_EQ("a note", ReadBytes(file).value_or(""));
    }

    const std::string setup = EnvironmentPath("VQ_SETUP");
};

TEST_F(Installer, SilentInstallUpdateAndUninstallKeepTheKeyCheckRecords) {
    ASSERT_EQ(0u, RunToEnd(setup, QuotedCommandLine(setup, "/S")));
    ExpectInstalled();
    EXPECT_TRUE(
        SamePath(InstalledProgram(), ShortcutTarget(ShellFolder(CSIDL_PROGRAMS, "Veilquill.lnk"))));
    const std::string uninstaller = "\"" + Installed("Uninstall.exe") + "\"";
    EXPECT_EQ("Veilquill", UninstallValue("DisplayName"));
    EXPECT_EQ("1.0.1", UninstallValue("DisplayVersion"));
    EXPECT_EQ("Veilquill", UninstallValue("Publisher"));
    EXPECT_TRUE(SamePath(InstalledProgram() + ",0", UninstallValue("DisplayIcon")));
    EXPECT_TRUE(SamePath(uninstaller, UninstallValue("UninstallString")));
    EXPECT_TRUE(SamePath(uninstaller + " /S", UninstallValue("QuietUninstallString")));
    EXPECT_GT(std::stoul("0" + UninstallValue("EstimatedSize")), 100u) << "KiB";
    EXPECT_EQ("1", UninstallValue("NoModify"));
    EXPECT_EQ("1", UninstallValue("NoRepair"));

    ChildProcess program;
    ASSERT_TRUE(program.Start(InstalledProgram(), QuotedCommandLine(InstalledProgram(), "")));
    HWND window = WaitForTopWindow(program.Pid(), "DLGCLASS", "Veilquill", kStartMs);
    ASSERT_NE(nullptr, window) << "the installed program starts and shows its window";
    ASSERT_TRUE(CloseProgram(window));
    ExpectStrongFormatWorks();

    const std::string record = Installed("Program\\Data\\0.dat");
    ASSERT_TRUE(MakeFolders(Installed("Program\\Data")) && WriteBytes(record, kRecord));
    ASSERT_EQ(0u, RunToEnd(setup, QuotedCommandLine(setup, "/S")));
    ExpectInstalled();
    EXPECT_EQ(kRecord, ReadBytes(record).value_or("")) << "an update keeps the records";

    RunToEnd(Installed("Uninstall.exe"), UninstallValue("QuietUninstallString"));
    ASSERT_TRUE(WaitUntilUninstalled(true));
    EXPECT_EQ((std::vector<std::string>{"Data"}), SortedEntries(Installed("Program")));
    EXPECT_EQ((std::vector<std::string>{"0.dat"}), SortedEntries(Installed("Program\\Data")));
    EXPECT_EQ(kRecord, ReadBytes(record).value_or(""));
    EXPECT_FALSE(FileExists(ShellFolder(CSIDL_PROGRAMS, "Veilquill.lnk")));
    EXPECT_FALSE(FileExists(SendToShortcut()));
}

// Every page as a user clicks through them with the defaults, then the uninstaller's pages with
// a record to keep; a screenshot of each lands with the others.
TEST_F(Installer, PagesOfAnInstallAndAnUninstall) {
    ChildProcess installer;
    ASSERT_TRUE(installer.Start(setup, QuotedCommandLine(setup, "")));
    HWND wizard = WaitForTopWindow(installer.Pid(), "#32770", "Veilquill 1.0.1 Setup", kStartMs);
    ASSERT_NE(nullptr, wizard);
    const char* const pages[][2] = {{"Install Veilquill 1.0.1", "installer_1_welcome"},
                                    {"Install:", "installer_2_components"},
                                    {"Folder", "installer_3_folder"},
                                    {"Run Veilquill", "installer_4_finish"}};
    for (const auto& page : pages) {
        ASSERT_NE(nullptr, WaitForText(wizard, page[0])) << page[1];
        Screenshot(page[1], wizard);
        ASSERT_TRUE(ClickControl(wizard, IDOK)) << page[1]; // Next, Install, Finish
    }
    ASSERT_TRUE(installer.WaitForExit(kInstallMs));
    ExpectInstalled();
    HWND started = WaitForWindowWhere(nullptr, [](HWND window) {
        return WindowClass(window) == "DLGCLASS" && WindowText(window) == "Veilquill";
    });
    ASSERT_NE(nullptr, started) << "\"Run Veilquill\" is ticked and starts the program";
    ASSERT_TRUE(CloseProgram(started));

    ASSERT_TRUE(MakeFolders(Installed("Program\\Data")));
    ASSERT_TRUE(WriteBytes(Installed("Program\\Data\\0.dat"), kRecord));
    RunToEnd(Installed("Uninstall.exe"), QuotedCommandLine(Installed("Uninstall.exe"), ""));
    HWND remover = WaitForWindowWhere(nullptr, [](HWND window) {
        return WindowClass(window) == "#32770" &&
               WindowText(window).rfind("Remove Veilquill", 0) == 0;
    });
    ASSERT_NE(nullptr, remover);
    ASSERT_NE(nullptr, WaitForText(remover, "Folder"));
    Screenshot("uninstaller_1_confirm", remover);
    ASSERT_TRUE(ClickControl(remover, IDOK));
    HWND kept =
        WaitForMessageBox(WindowProcessId(remover), nullptr, "records were kept", kInstallMs);
    ASSERT_NE(nullptr, kept);
    EXPECT_NE(std::string::npos, MessageBoxText(kept).find(Installed("Program\\Data")))
        << "says where: " << MessageBoxText(kept);
    Screenshot("uninstaller_2_records_kept", kept);
    ASSERT_TRUE(AnswerMessageBox(kept, IDOK));
    ASSERT_NE(nullptr, WaitForText(remover, "Veilquill is removed"));
    Screenshot("uninstaller_3_finish", remover);
    ASSERT_TRUE(ClickControl(remover, IDOK));
    ASSERT_TRUE(WaitUntilUninstalled(true));
}

} // namespace

// The 64-bit installer under Wine: a silent install, update and uninstall checked on disk, in
// the Start menu, in the Send To folder and in the registry; and a run through its pages with a
// screenshot of each. (The 32-bit installer cannot run here: the build checks its header.)
#include <gtest/gtest.h>

#include <iostream>

#include <shlobj.h>

#include "driver/ui_driver.h"
#include "install_support.h"
#include "util/win_handles.h"

using namespace vqtest;

namespace {

const std::string kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veilquill";
const std::string kRecord = "000003E8"; // a key-check record: one checksum as 8 hex digits
constexpr DWORD kInstallMs = 60000;

std::string SetupPath() {
    return UnixToWindowsPath(EnvironmentValue("VQ_SETUP"));
}
std::string InstallFolder() {
    return JoinPath(ShellFolderPath(CSIDL_LOCAL_APPDATA), "Programs\\Veilquill");
}
std::string Installed(const std::string& name) {
    return JoinPath(InstallFolder(), name);
}
std::string InstalledProgram() {
    return Installed("Program\\Veilquill.exe");
}
std::string StartMenuShortcutPath() {
    return JoinPath(ShellFolderPath(CSIDL_PROGRAMS), "Veilquill.lnk");
}

// The uninstaller copies itself elsewhere and returns at once; the copy does the work, and its
// last step removes the folders it left empty. An install with a record in Program\Data leaves
// exactly that behind.
bool WaitUntilUninstalled(bool recordKept) {
    const std::vector<std::string> left =
        recordKept ? std::vector<std::string>{"Program"} : std::vector<std::string>{};
    return WaitUntil(
        [&] {
            return !RegistryKeyExists(kUninstallKey) && !FileExists(Installed("Uninstall.exe")) &&
                   SortedEntries(InstallFolder()) == left;
        },
        kInstallMs);
}

// The Veilquill main window of any process (the installer starts the program itself).
HWND WaitForAnyMainWindow(DWORD timeoutMs = kStartMs) {
    HWND window = nullptr;
    WaitUntil([&] { return (window = FindWindowA("DLGCLASS", "Veilquill")) != nullptr; },
              timeoutMs);
    return window;
}

// Closes a program by its main window and waits until its process has ended: the installer and
// uninstaller wait while any Veilquill window is left.
bool CloseProgram(HWND mainWindow) {
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, WindowProcessId(mainWindow)));
    return process && PostMessageA(mainWindow, WM_CLOSE, 0, 0) &&
           WaitForSingleObject(process.get(), kWaitMs) == WAIT_OBJECT_0;
}

// The first visible window for which `match` holds: among the top-level windows of every
// process when `parent` is null, else among the windows below it at any depth.
HWND FirstWindowWhere(HWND parent, const std::function<bool(HWND)>& match) {
    struct Search {
        const std::function<bool(HWND)>& match;
        HWND found;
    } search{match, nullptr};
    const WNDENUMPROC visit = [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (!IsWindowVisible(window) || !s->match(window))
            return TRUE;
        s->found = window;
        return FALSE;
    };
    if (parent == nullptr)
        EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    else
        EnumChildWindows(parent, visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A wizard of any process whose caption begins with `caption` (it adds the page's subcaption).
HWND FindWizard(const std::string& caption) {
    return FirstWindowWhere(nullptr, [&](HWND window) {
        return WindowClass(window) == "#32770" && WindowText(window).rfind(caption, 0) == 0;
    });
}

HWND WaitForText(HWND window, const std::string& text) {
    HWND found = nullptr;
    WaitUntil([&] {
        found = FirstWindowWhere(window, [&](HWND child) { return WindowText(child) == text; });
        return found != nullptr;
    });
    return found;
}

std::string Screenshot(const std::string& name, HWND window) {
    Pause(400); // let the page finish painting
    const std::string path = SaveScreenshot(name, window);
    std::cout << "screenshot: " << path << "\n";
    return path;
}

class Installer : public ::testing::Test {
  protected:
    void SetUp() override { Forget(); }
    void TearDown() override { Forget(); }

    // Back to a user who never installed Veilquill.
    static void Forget() {
        if (const auto quiet = RegistryText(kUninstallKey, "QuietUninstallString")) {
            RunToEnd("", *quiet);
            WaitUntilUninstalled(FolderExists(Installed("Program\\Data")));
        }
        RemoveTree(InstallFolder());
        ForgetSendToEntry();
    }

    static void ExpectInstalledFiles() {
        for (const char* name : {"Program\\Veilquill.exe", "Program\\SendTo.exe",
                                 "Help\\Veilquill.chm", "ReadMe.txt", "Uninstall.exe"})
            EXPECT_TRUE(FileExists(Installed(name))) << name;
    }
};

TEST_F(Installer, SilentInstallUpdateAndUninstallKeepTheKeyCheckRecords) {
    ASSERT_EQ(0u, RunToEnd(SetupPath(), QuotedCommandLine(SetupPath(), "/S"), kInstallMs));
    ExpectInstalledFiles();
    EXPECT_TRUE(SamePath(InstalledProgram(), ShortcutTarget(StartMenuShortcutPath()).value_or("")));
    EXPECT_TRUE(SamePath(InstalledProgram(), ShortcutTarget(SendToShortcutPath()).value_or("")))
        << "the Send To option is on by default";

    const std::string uninstaller = "\"" + Installed("Uninstall.exe") + "\"";
    EXPECT_EQ("Veilquill", RegistryText(kUninstallKey, "DisplayName").value_or(""));
    EXPECT_EQ("1.0.1", RegistryText(kUninstallKey, "DisplayVersion").value_or(""));
    EXPECT_EQ("Veilquill", RegistryText(kUninstallKey, "Publisher").value_or(""));
    EXPECT_TRUE(SamePath(InstalledProgram() + ",0",
                         RegistryText(kUninstallKey, "DisplayIcon").value_or("")));
    EXPECT_TRUE(SamePath(uninstaller, RegistryText(kUninstallKey, "UninstallString").value_or("")));
    EXPECT_TRUE(SamePath(uninstaller + " /S",
                         RegistryText(kUninstallKey, "QuietUninstallString").value_or("")));
    EXPECT_GT(RegistryNumber(kUninstallKey, "EstimatedSize").value_or(0), 100u) << "KiB";
    EXPECT_EQ(1u, RegistryNumber(kUninstallKey, "NoModify").value_or(0));
    EXPECT_EQ(1u, RegistryNumber(kUninstallKey, "NoRepair").value_or(0));

    // The installed program starts and shows its window.
    ChildProcess program;
    ASSERT_TRUE(program.Start(InstalledProgram(), QuotedCommandLine(InstalledProgram(), "")));
    HWND window = WaitForTopWindow(program.Pid(), "DLGCLASS", "Veilquill", kStartMs);
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(IsWindowVisible(window));
    ASSERT_TRUE(CloseProgram(window));

    // An update over it keeps the records.
    const std::string record = Installed("Program\\Data\\0.dat");
    ASSERT_TRUE(MakeFolders(Installed("Program\\Data")));
    ASSERT_TRUE(WriteBytes(record, kRecord));
    ASSERT_EQ(0u, RunToEnd(SetupPath(), QuotedCommandLine(SetupPath(), "/S"), kInstallMs));
    ExpectInstalledFiles();
    EXPECT_EQ(kRecord, ReadBytes(record).value_or(""));

    // The quiet uninstall the system would run removes everything but the records.
    const std::string quiet = RegistryText(kUninstallKey, "QuietUninstallString").value_or("");
    ASSERT_TRUE(RunToEnd("", quiet).has_value());
    ASSERT_TRUE(WaitUntilUninstalled(true)) << "left: " << SortedEntries(InstallFolder()).size();
    EXPECT_EQ((std::vector<std::string>{"Data"}), SortedEntries(Installed("Program")));
    EXPECT_EQ((std::vector<std::string>{"0.dat"}), SortedEntries(Installed("Program\\Data")));
    EXPECT_EQ(kRecord, ReadBytes(record).value_or(""));
    EXPECT_FALSE(FileExists(StartMenuShortcutPath()));
    EXPECT_FALSE(FileExists(SendToShortcutPath()));
}

// Through every page as a user clicks, with the defaults; then the uninstaller's pages with a
// record to keep. The screenshots land with the others.
TEST_F(Installer, PagesOfAnInstallAndAnUninstall) {
    ChildProcess setup;
    ASSERT_TRUE(setup.Start(SetupPath(), QuotedCommandLine(SetupPath(), "")));
    HWND wizard = WaitForTopWindow(setup.Pid(), "#32770", "Veilquill 1.0.1 Setup", kStartMs);
    ASSERT_NE(nullptr, wizard);
    ASSERT_NE(nullptr, WaitForText(wizard, "Install Veilquill 1.0.1"));
    Screenshot("installer_1_welcome", wizard);

    ASSERT_TRUE(ClickControl(wizard, IDOK));
    ASSERT_NE(nullptr, WaitForText(wizard, "Install:"));
    Screenshot("installer_2_components", wizard);

    ASSERT_TRUE(ClickControl(wizard, IDOK));
    ASSERT_NE(nullptr, WaitForText(wizard, "Folder"));
    Screenshot("installer_3_folder", wizard);

    ASSERT_TRUE(ClickControl(wizard, IDOK));
    HWND run = WaitForText(wizard, "Run Veilquill");
    ASSERT_NE(nullptr, run);
    EXPECT_EQ(BST_CHECKED, SendMessageA(run, BM_GETCHECK, 0, 0));
    Screenshot("installer_4_finish", wizard);
    ExpectInstalledFiles();
    EXPECT_TRUE(SamePath(InstalledProgram(), ShortcutTarget(SendToShortcutPath()).value_or("")));

    ASSERT_TRUE(ClickControl(wizard, IDOK));
    ASSERT_TRUE(setup.WaitForExit(kInstallMs));
    HWND started = WaitForAnyMainWindow();
    ASSERT_NE(nullptr, started) << "\"Run Veilquill\" starts the program";
    ASSERT_TRUE(CloseProgram(started));

    ASSERT_TRUE(MakeFolders(Installed("Program\\Data")));
    ASSERT_TRUE(WriteBytes(Installed("Program\\Data\\0.dat"), kRecord));
    ASSERT_TRUE(
        RunToEnd(Installed("Uninstall.exe"), QuotedCommandLine(Installed("Uninstall.exe"), ""))
            .has_value());
    HWND remover = nullptr;
    ASSERT_TRUE(
        WaitUntil([&] { return (remover = FindWizard("Remove Veilquill")) != nullptr; }, kStartMs));
    const DWORD removerPid = WindowProcessId(remover);
    ASSERT_NE(nullptr, WaitForText(remover, "Folder"));
    Screenshot("uninstaller_1_confirm", remover);

    ASSERT_TRUE(ClickControl(remover, IDOK));
    HWND kept = WaitForMessageBox(removerPid, nullptr, "key-check records were kept", kInstallMs);
    ASSERT_NE(nullptr, kept);
    EXPECT_NE(std::string::npos, MessageBoxText(kept).find(Installed("Program\\Data")))
        << MessageBoxText(kept);
    Screenshot("uninstaller_2_records_kept", kept);
    ASSERT_TRUE(AnswerMessageBox(kept, IDOK));

    ASSERT_NE(nullptr, WaitForText(remover, "Veilquill is removed"));
    Screenshot("uninstaller_3_finish", remover);
    ASSERT_TRUE(ClickControl(remover, IDOK));
    ASSERT_TRUE(WaitUntilUninstalled(true));
    EXPECT_EQ(kRecord, ReadBytes(Installed("Program\\Data\\0.dat")).value_or(""));
}

} // namespace

// A private copy of Veilquill.exe, started and stopped by one test.
#include "driver/ui_driver.h"

#include "tests/support/control_ids.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/win32_wide_text.h"

namespace vqtest {

namespace {
constexpr char kMainClass[] = VQ_MAIN_CLASS;
constexpr char kMainCaption[] = "Veilquill";
} // namespace

std::string ProgramPath() {
    return UnixToWindowsPath(EnvironmentValue("VQ_PROGRAM"));
}

std::string StandinPath(const std::string& name) {
    const std::string build = EnvironmentValue("VQ_BUILD_DIR");
    return JoinPath(UnixToWindowsPath(build), "tests\\ui\\" + name + ".exe");
}

ProgramUnderTest::ProgramUnderTest() : ProgramUnderTest("Veilquill") {}

ProgramUnderTest::ProgramUnderTest(const std::string& folderName) : root_("program") {
    folder_ = JoinPath(root_.Path(), folderName);
    const std::string source = ProgramPath();
    if (root_.Path().empty() || !MakeFolders(folder_))
        ADD_FAILURE() << "cannot make a folder for the program";
    else if (source.empty() || !CopyFileTo(source, ExePath()))
        ADD_FAILURE() << "cannot copy the program (VQ_PROGRAM='" << source << "') to " << ExePath();
}

ProgramUnderTest::~ProgramUnderTest() {
    Terminate();
}

bool ProgramUnderTest::PlaceBeside(const std::string& source, const std::string& name) {
    return CopyFileTo(source, InFolder(name));
}

bool ProgramUnderTest::Start(const std::string& commandTail, DWORD timeoutMs) {
    return StartWithCommandLine(QuotedCommandLine(ExePath(), commandTail), timeoutMs);
}

bool ProgramUnderTest::StartWithCommandLine(const std::string& commandLine, DWORD timeoutMs) {
    if (process_.Started()) {
        ADD_FAILURE() << "the program was started twice";
        return false;
    }
    if (!process_.Start(ExePath(), commandLine, Root())) {
        ADD_FAILURE() << "CreateProcessW failed for " << ExePath() << ", error " << GetLastError();
        return false;
    }
    if (!WaitForMainWindow(timeoutMs)) {
        ADD_FAILURE() << "no main window appeared"
                      << (IsRunning() ? ""
                                      : " (the program ended, code " +
                                            std::to_string(ExitCode().value_or(0)) + ")");
        return false;
    }
    return true;
}

// The main window counts as there once its thread has reached a message loop: the window is
// visible while start-up still sets the first states, so a message sent to it is answered
// only after that.
bool ProgramUnderTest::WaitForMainWindow(DWORD timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const bool found = WaitUntil(
        [&] {
            mainWindow_ = FindTopWindow(Pid(), kMainClass, kMainCaption);
            return mainWindow_ != nullptr || !IsRunning();
        },
        timeoutMs);
    if (!found || mainWindow_ == nullptr)
        return false;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return RespondsWithin(mainWindow_, static_cast<DWORD>(std::max<long long>(left.count(), 1000)));
}

HWND ProgramUnderTest::StatusBar() const {
    return MainControl(kStatusBar);
}
HWND ProgramUnderTest::DocumentView() const {
    return MainControl(kDocumentView);
}
HWND ProgramUnderTest::ResultsList() const {
    return MainControl(kResultsList);
}

std::string QuotedCommandLine(const std::string& exePath, const std::string& arguments) {
    std::string commandLine = "\"" + exePath + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    return commandLine;
}

bool ChildProcess::Start(const std::string& exePath, const std::string& commandLine,
                         const std::string& currentFolder) {
    Terminate();
    // In UTF-16, so that the program gets every name whole; CreateProcessW may write into the
    // command line.
    std::wstring writable = WideFromUtf8(commandLine);
    writable.push_back(L'\0');
    const std::wstring folder = WideFromUtf8(currentFolder);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(WideFromUtf8(exePath).c_str(), &writable[0], nullptr, nullptr, FALSE, 0,
                        nullptr, currentFolder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return false;
    process_.reset(info.hProcess);
    UniqueHandle thread(info.hThread);
    pid_ = info.dwProcessId;
    return true;
}

bool ChildProcess::IsRunning() const {
    return process_.valid() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs) {
    return process_.valid() && WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

std::optional<DWORD> ChildProcess::ExitCode() const {
    DWORD code = 0;
    if (!process_.valid() || IsRunning() || !GetExitCodeProcess(process_.get(), &code))
        return std::nullopt;
    return code;
}

void ChildProcess::Terminate() {
    if (IsRunning()) {
        TerminateProcess(process_.get(), 255);
        WaitForSingleObject(process_.get(), 5000);
    }
}

} // namespace vqtest

// veilquill-cli end to end with the key typed on a terminal (a pseudo-terminal here) under a
// UTF-8 locale: the typed text is the same key as the same text in a key file.
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/cli/cli_test_support.h"

namespace vqtest {
namespace {

const std::string kRussian = "\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C"; // пароль

// Reads from the terminal until `what` has been shown; false when the program ended first.
bool ReadUntil(int terminal, const std::string& what, std::string& shown) {
    char buffer[256];
    while (shown.find(what) == std::string::npos) {
        const ssize_t got = read(terminal, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        shown.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

// Runs veilquill-cli on a terminal of its own under LANG=C.UTF-8, typing `key` at each
// prompt; its exit code, or -1.
int RunTyping(const std::vector<std::string>& args, const std::string& key, int prompts,
              const std::string& folder) {
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child < 0)
        return -1;
    if (child == 0) {
        if (chdir(folder.c_str()) != 0)
            _exit(127);
        unsetenv("LC_ALL");
        unsetenv("LC_CTYPE");
        setenv("LANG", "C.UTF-8", 1);
        std::vector<char*> argv{const_cast<char*>(CliPath())};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(CliPath(), argv.data());
        _exit(127);
    }
    std::string shown;
    const char* prompt[] = {"Key: ", "Key again: "};
    for (int i = 0; i < prompts; ++i) {
        if (!ReadUntil(terminal, prompt[i], shown))
            break;
        // Typed after the prompt, once the program has turned echo off (which drops what was
        // typed ahead), as a person types.
        usleep(300000);
        const std::string line = key + "\n";
        if (write(terminal, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            break;
    }
    std::string rest;
    ReadUntil(terminal, "\x01", rest); // until the program ends
    close(terminal);
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Whether this system gives pseudo-terminals (a chroot without /dev/pts gives none).
bool PseudoTerminalsAvailable() {
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return false;
    close(slave);
    close(master);
    return true;
}

TEST(CliTerminalKey, AKeyTypedOnAUtf8TerminalIsTheSameTextAsInAKeyFile) {
    if (!PseudoTerminalsAvailable())
        GTEST_SKIP() << "no pseudo-terminal can be opened here (is /dev/pts mounted?)";
    ScratchFolder folder;
    WriteBytes(folder.File("a.txt"), "typed on a terminal");
    WriteBytes(folder.File("key"), kRussian + "\n");
    const std::string data = folder.File("Data");
    EXPECT_EQ(
        0, RunTyping({"encrypt", "--strong", "--data", data, "a.txt"}, kRussian, 2, folder.Path()));
    CliCall call;
    call.args = {"check", "--key-file", "key", "--data", data, "a.txt"};
    call.workingFolder = folder.Path();
    const CliRun checked = RunCli(call, folder.File("home"));
    EXPECT_EQ(0, checked.exitCode) << checked.err;
    EXPECT_EQ(0, RunTyping({"decrypt", "--data", data, "a.txt"}, kRussian, 1, folder.Path()));
    EXPECT_EQ("typed on a terminal", ReadBytes(folder.File("a.txt")));
}

} // namespace
} // namespace vqtest

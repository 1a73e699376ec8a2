#include "tests/cli/cli_test_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace vqtest {

std::string MemoryFolderWithRoom(std::uint64_t bytes) {
    struct statvfs info = {};
    if (statvfs("/dev/shm", &info) != 0 ||
        static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize < bytes)
        return {};
    return "/dev/shm";
}

const char* CliPath() {
    return VQ_CLI_PATH;
}

namespace {

// The program's arguments and environment for a call, and the pointers spawn takes.
struct Command {
    std::vector<std::string> argText;
    std::vector<std::string> envText;
    std::vector<char*> argv;
    std::vector<char*> envp;
};

void PrepareCommand(const CliCall& call, const std::string& home, Command& command) {
    std::map<std::string, std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos)
            env[text.substr(0, equals)] = text.substr(equals + 1);
    }
    env.erase("XDG_DATA_HOME");
    env.erase("VEILQUILL_DATA");
    // The tester's language would choose the original format's code page: English, unless the
    // call names another.
    env.erase("LC_ALL");
    env.erase("LC_CTYPE");
    env["LANG"] = "C.UTF-8";
    env["HOME"] = home;
    for (const auto& [name, value] : call.env) {
        if (value)
            env[name] = *value;
        else
            env.erase(name);
    }
    for (const auto& [name, value] : env)
        command.envText.push_back(name + "=" + value);

    command.argText = call.prefix;
    command.argText.push_back(CliPath());
    command.argText.insert(command.argText.end(), call.args.begin(), call.args.end());
    for (std::string& arg : command.argText)
        command.argv.push_back(&arg[0]);
    command.argv.push_back(nullptr);
    for (std::string& entry : command.envText)
        command.envp.push_back(&entry[0]);
    command.envp.push_back(nullptr);
}

pid_t Spawn(const CliCall& call, const std::string& home, posix_spawn_file_actions_t& actions) {
    Command command;
    PrepareCommand(call, home, command);
    if (!call.workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, call.workingFolder.c_str());
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, command.argv[0], &actions, nullptr,
                                     command.argv.data(), command.envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start the program under test");
    return child;
}

int ExitCodeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

CliRun RunCli(const CliCall& call, const std::string& home) {
    ScratchFolder io;
    WriteBytes(io.File("in"), call.input);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, (io.File("in")).c_str(), O_RDONLY, 0);
    if (call.outputTerminal >= 0)
        posix_spawn_file_actions_adddup2(&actions, call.outputTerminal, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, (io.File("out")).c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, (io.File("err")).c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const pid_t child = Spawn(call, home, actions);
    int status = 0;
    waitpid(child, &status, 0);

    CliRun run;
    run.exitCode = ExitCodeOf(status);
    run.out = ReadBytes(io.File("out")).value_or("");
    run.err = ReadBytes(io.File("err")).value_or("");
    return run;
}

PipedRun RunCliPiped(const CliCall& call, const PipeEnds& ends, const std::string& home) {
    ScratchFolder io;
    int input[2] = {-1, -1};
    int output[2] = {-1, -1};
    if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot make pipes");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, (io.File("err")).c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const pid_t child = Spawn(call, home, actions);
    close(input[0]);
    close(output[1]);

    // The input is fed on a thread of its own while the output is read here; a program that
    // stops reading ends the feed (EPIPE, not a signal that ends the test).
    signal(SIGPIPE, SIG_IGN);
    std::thread feeder([&ends, fd = input[1]] {
        std::string piece;
        while (ends.feed && ends.feed(piece)) {
            const char* data = piece.data();
            std::size_t left = piece.size();
            while (left > 0) {
                const ssize_t written = write(fd, data, left);
                if (written < 0 && errno == EINTR)
                    continue;
                if (written <= 0) {
                    close(fd);
                    return;
                }
                data += written;
                left -= static_cast<std::size_t>(written);
            }
        }
        close(fd);
    });
    PipedRun run;
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t got = read(output[0], buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        if (!ends.take)
            run.out.append(buffer.data(), static_cast<std::size_t>(got));
        else if (!ends.take(buffer.data(), static_cast<std::size_t>(got)))
            break;
    }
    close(output[0]);
    int status = 0;
    struct rusage usage = {};
    wait4(child, &status, 0, &usage);
    feeder.join();
    run.exitCode = ExitCodeOf(status);
    run.err = ReadBytes(io.File("err")).value_or("");
    run.peakKib = usage.ru_maxrss;
    return run;
}

std::string Flipped(std::string bytes, std::size_t at) {
    bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
    return bytes;
}

} // namespace vqtest

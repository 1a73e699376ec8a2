// What the command-line program meets on Linux: its arguments, the environment, the terminal
// and the text it writes there.
#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/program_text.h"
#include "platform/posix/handles.h"
#include "platform/system_key_text.h"

namespace {

// What a signal during the key's entry needs to give the terminal its echo back.
struct EchoRestore {
    int fd = -1;
    struct termios saved = {};
};
EchoRestore echoRestore;

void RestoreEchoAndEnd(int ending) {
    if (echoRestore.fd >= 0)
        tcsetattr(echoRestore.fd, TCSAFLUSH, &echoRestore.saved);
    signal(ending, SIG_DFL);
    raise(ending);
}

void WriteToTerminal(int fd, const char* text) {
    (void)!write(fd, text, std::strlen(text));
}

} // namespace

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

TerminalRead ReadSecretLine(const char* prompt, SecretLine& line) {
    line.Clear();
    UniqueFd tty(open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!tty.valid())
        return TerminalRead::kNoTerminal;
    struct termios saved = {};
    if (tcgetattr(tty.get(), &saved) != 0)
        return TerminalRead::kNoTerminal;
    WriteToTerminal(tty.get(), prompt);

    echoRestore.fd = tty.get();
    echoRestore.saved = saved;
    const int endings[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
    for (int ending : endings)
        signal(ending, RestoreEchoAndEnd);
    struct termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
    tcsetattr(tty.get(), TCSAFLUSH, &quiet);

    TerminalRead result = TerminalRead::kFailed;
    for (;;) {
        unsigned char byte = 0;
        const ssize_t got = read(tty.get(), &byte, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        if (byte == '\n') {
            result = TerminalRead::kRead;
            break;
        }
        line.Append(byte);
        WipeBytes(&byte, 1);
    }
    tcsetattr(tty.get(), TCSAFLUSH, &saved);
    for (int ending : endings)
        signal(ending, SIG_DFL);
    echoRestore.fd = -1;
    WriteToTerminal(tty.get(), "\n");
    line.DropCarriageReturn();
    // The terminal gives the text in its locale's character set; it is handed on as UTF-8.
    const std::string set = TerminalCharacterSet();
    if (result == TerminalRead::kRead && !line.overlong() && set != "UTF-8") {
        SecretLine text;
        if (ConvertCharacterSet(line, set.c_str(), "UTF-8", text))
            line.Assign(text.data(), text.size());
    }
    return result;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

void WriteText(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

std::FILE* OpenForReading(const std::string& path) {
    return std::fopen(path.c_str(), "rb");
}

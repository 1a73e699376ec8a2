#include "cli/key_input.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "util/unique_resource.h"

namespace {

void CloseStdioFile(std::FILE* file) noexcept {
    std::fclose(file);
}
using UniqueStdioFile = Unique<NullIsInvalid<std::FILE*, CloseStdioFile>>;

constexpr char kKeyPrompt[] = "Key: ";
constexpr char kAgainPrompt[] = "Key again: ";

// One line of `stream`, without its line end.
bool ReadLine(std::FILE* stream, SecretLine& line) {
    line.Clear();
    for (;;) {
        const int c = std::fgetc(stream);
        if (c == EOF)
            break;
        if (c == '\n')
            break;
        line.Append(static_cast<unsigned char>(c));
    }
    line.DropCarriageReturn();
    return std::ferror(stream) == 0;
}

std::string ProblemText(KeyProblem problem) {
    switch (problem) {
    case KeyProblem::kEmpty:
        return "the key is empty";
    case KeyProblem::kTooLong:
        return "the key is longer than " + std::to_string(kMaxKeyLength) +
               " bytes; a key is never cut short";
    case KeyProblem::kZeroByte:
        return "the key holds a zero byte";
    case KeyProblem::kNone:
        break;
    }
    return {};
}

bool TakeLine(const SecretLine& line, SecretKey& key, std::string& problem) {
    const KeyProblem found = key.Assign(line);
    problem = ProblemText(found);
    return found == KeyProblem::kNone;
}

bool AskOnTerminal(bool confirm, SecretKey& key, std::string& problem) {
    SecretLine first;
    const TerminalRead read = ReadSecretLine(kKeyPrompt, first);
    if (read == TerminalRead::kNoTerminal) {
        problem = "no terminal to ask for the key: use --key-file FILE or --key-stdin";
        return false;
    }
    if (read != TerminalRead::kRead) {
        problem = "no key was typed";
        return false;
    }
    if (!TakeLine(first, key, problem))
        return false;
    if (!confirm)
        return true;
    SecretLine second;
    if (ReadSecretLine(kAgainPrompt, second) != TerminalRead::kRead ||
        second.size() != first.size() || second.overlong() ||
        std::memcmp(second.data(), first.data(), first.size()) != 0) {
        key.Clear();
        problem = "the two keys typed differ";
        return false;
    }
    return true;
}

} // namespace

bool ObtainKey(const KeyOptions& options, bool confirm, SecretKey& key, std::string& problem) {
    SecretLine line;
    if (!options.keyFile.empty()) {
        UniqueStdioFile file(std::fopen(options.keyFile.c_str(), "rb"));
        if (!file.valid()) {
            problem = "cannot read the key file " + options.keyFile + ": " + std::strerror(errno);
            return false;
        }
        if (!ReadLine(file.get(), line)) {
            problem = "cannot read the key file " + options.keyFile;
            return false;
        }
        return TakeLine(line, key, problem);
    }
    if (options.keyStdin) {
        if (!ReadLine(stdin, line)) {
            problem = "cannot read the key from standard input";
            return false;
        }
        return TakeLine(line, key, problem);
    }
    return AskOnTerminal(confirm, key, problem);
}

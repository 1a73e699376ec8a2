#include "cli/key_input.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "platform/program_text.h"
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

std::string ProblemText(KeyProblem problem, unsigned codePage) {
    switch (problem) {
    case KeyProblem::kEmpty:
        return "the key is empty";
    case KeyProblem::kTooLong:
        return "the key is too long; a key is never cut short";
    case KeyProblem::kZeroByte:
        return "the key holds a zero character";
    case KeyProblem::kNotInCodePage:
        return "the key is neither UTF-8 nor text in code page " + std::to_string(codePage);
    case KeyProblem::kNone:
        break;
    }
    return {};
}

// The key's forms from a line read as it came.
bool TakeLine(const SecretLine& line, const KeyTextSystem& system, unsigned codePage, TypedKey& key,
              std::string& problem) {
    SecretLine text;
    KeyProblem found = KeyTextOfLine(line, system, codePage, text);
    if (found == KeyProblem::kNone)
        found = MakeTypedKey(text, system, codePage, key);
    problem = ProblemText(found, codePage);
    return found == KeyProblem::kNone;
}

bool AskOnTerminal(bool confirm, const KeyTextSystem& system, unsigned codePage, TypedKey& key,
                   std::string& problem) {
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
    if (!TakeLine(first, system, codePage, key, problem))
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

unsigned KeyCodePage(const KeyOptions& options, const KeyTextSystem& system) {
    return options.codePage != 0 ? options.codePage : system.OriginalCodePage();
}

bool ObtainKey(const KeyOptions& options, const KeyTextSystem& system, bool confirm, TypedKey& key,
               std::string& problem) {
    const unsigned codePage = KeyCodePage(options, system);
    SecretLine known;
    known.Assign("A", 1);
    SecretLine inCodePage;
    if (!system.ToCodePage(known, codePage, true, inCodePage)) {
        problem = "code page " + std::to_string(codePage) + " is not known on this system";
        return false;
    }
    SecretLine line;
    if (!options.keyFile.empty()) {
        UniqueStdioFile file(OpenForReading(options.keyFile));
        if (!file.valid()) {
            problem = "cannot read the key file " + options.keyFile + ": " + std::strerror(errno);
            return false;
        }
        if (!ReadLine(file.get(), line)) {
            problem = "cannot read the key file " + options.keyFile;
            return false;
        }
        return TakeLine(line, system, codePage, key, problem);
    }
    if (options.keyStdin) {
        if (!ReadLine(stdin, line)) {
            problem = "cannot read the key from standard input";
            return false;
        }
        return TakeLine(line, system, codePage, key, problem);
    }
    return AskOnTerminal(confirm, system, codePage, key, problem);
}

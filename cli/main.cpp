// veilquill-cli: Veilquill's files and key-check records from a terminal.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/messages.h"
#include "platform/platform.h"
#include "platform/program_text.h"
#ifdef _WIN32
#include "platform/win32_dll_search.h"
#endif

namespace {

constexpr char kProgramName[] = "veilquill-cli";

constexpr char kDescription[] =
    "Encrypts and decrypts Veilquill files in place, with the same files and key-check records "
    "as the Veilquill window. The key is never given on the command line: it is asked on the "
    "terminal, or read with --key-file or --key-stdin.";

constexpr char kFooter[] =
    "Exit status: 0 when every file succeeded, 1 when any failed, 2 for a usage error.\n"
    "Records folder: --data DIR, else VEILQUILL_DATA, else "
#ifdef _WIN32
    "the Data folder beside this program (shared with Veilquill.exe).";
#else
    "$XDG_DATA_HOME/veilquill/Data (~/.local/share/veilquill/Data).";
#endif

void AddKeyOptions(CLI::App& command, CommandOptions& options) {
    CLI::Option* file = command.add_option("--key-file", options.key.keyFile,
                                           "read the key from the first line of FILE");
    file->type_name("FILE");
    CLI::Option* input =
        command.add_flag("--key-stdin", options.key.keyStdin, "read the key from standard input");
    file->excludes(input);
    command
        .add_option("--codepage", options.key.codePage,
                    "the Windows code page of original-format keys, for a file made on a machine "
                    "with another one (default: this system's, 1252 for English)")
        ->type_name("N")
        ->check(CLI::Range(1u, 65535u));
}

void AddRecordOptions(CLI::App& command, CommandOptions& options) {
    command.add_option("--data", options.dataFolder, "the folder of key-check records")
        ->type_name("DIR");
    command.add_flag("-v,--verbose", options.verbose, "say which records folder is used");
    command.add_flag("-q,--quiet", options.quiet, "print only errors");
}

void AddFiles(CLI::App& command, CommandOptions& options, const char* description = "the files") {
    command.add_option("FILE", options.paths, description)->required();
}

constexpr char kStreamingFiles[] = "the files; - reads standard input (with -o, as the only FILE)";

// Checks what the parser cannot for encrypt and decrypt: -o, standard input and standard
// output go together as they can. `command` names it in the messages.
bool CheckOutputOptions(const std::string& command, const CommandOptions& options) {
    const bool readsInput =
        std::any_of(options.paths.begin(), options.paths.end(),
                    [](const std::string& path) { return IsStandardInput(path); });
    std::string problem;
    if (readsInput && options.paths.size() != 1)
        problem = "- (standard input) must be the only FILE";
    else if (!options.output.empty() && options.paths.size() != 1)
        problem = "-o OUT takes exactly one FILE";
    else if (readsInput && options.output.empty())
        problem = "- (standard input) needs -o OUT or -o -: what comes from standard input is "
                  "never changed in place";
    else if (readsInput && options.key.keyStdin)
        problem = "--key-stdin cannot go with - as FILE: both would read standard input; give "
                  "the key with --key-file FILE or type it on the terminal";
    else if (command == "encrypt" && WritesStandardOutput(options) && StandardOutputIsTerminal())
        problem = "refusing to write encrypted bytes to a terminal: redirect standard output to a "
                  "file or a pipe, or write a file with -o OUT";
    if (!problem.empty())
        Warn(command + ": " + problem);
    return problem.empty();
}

// Checks what the parser cannot: decrypt's output options go together.
bool CheckDecryptOptions(const CommandOptions& options) {
    if (options.noVerify && options.output.empty()) {
        Warn("decrypt: --no-verify needs -o OUT: a file is never decrypted in place with a key "
             "that no record verifies");
        return false;
    }
    return CheckOutputOptions("decrypt", options);
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    RestrictDllSearchToSystemFolder();
#endif
    // Every name whole, also on Windows where argv holds the ANSI code page's approximation.
    const std::vector<std::string> arguments = ProgramArguments(argc, argv);
    std::vector<const char*> argumentTexts;
    for (const std::string& argument : arguments)
        argumentTexts.push_back(argument.c_str());
    CommandOptions options;
    CLI::App app(kDescription, kProgramName);
    app.set_version_flag("--version", std::string(kProgramName) + " " + VQ_VERSION_TEXT);
    app.require_subcommand(1);
    app.footer(kFooter);

    CLI::App* encrypt = app.add_subcommand(
        "encrypt", "encrypt files in place and write a key-check record for each (none with "
                   "--strong)");
    AddKeyOptions(*encrypt, options);
    AddRecordOptions(*encrypt, options);
    encrypt->add_flag("--strong", options.strong,
                      "use the strong format (Argon2id, ChaCha20-Poly1305): its key check travels "
                      "with the file and no record is written");
    encrypt
        ->add_option("-o,--output", options.output,
                     "write the encrypted file to the new file OUT instead, keeping FILE as it "
                     "was; - writes it to standard output, which must not be a terminal")
        ->type_name("OUT");
    AddFiles(*encrypt, options, kStreamingFiles);

    CLI::App* decrypt = app.add_subcommand(
        "decrypt", "verify the key (against the records, or a strong file's own key check), "
                   "decrypt in place, delete the record");
    AddKeyOptions(*decrypt, options);
    AddRecordOptions(*decrypt, options);
    decrypt
        ->add_option("-o,--output", options.output,
                     "write the result to the new file OUT instead, keeping FILE and its "
                     "record; - writes it to standard output, once the whole file has verified")
        ->type_name("OUT");
    decrypt->add_flag("--no-verify", options.noVerify,
                      "with -o: decrypt even when no record verifies the key (an unverified "
                      "key may produce garbage)");
    AddFiles(*decrypt, options, kStreamingFiles);

    CLI::App* check =
        app.add_subcommand("check", "say whether the key verifies for each file; writes nothing");
    AddKeyOptions(*check, options);
    AddRecordOptions(*check, options);
    AddFiles(*check, options);

    CLI::App* status = app.add_subcommand(
        "status", "say whether files are encrypted, in which format, and their size");
    AddFiles(*status, options);

    CLI::App* find = app.add_subcommand(
        "find", "list the encrypted files below folders, as the window's Find Encrypted does");
    find->add_flag("-0", options.nulSeparated, "end each path with a zero byte (for xargs -0)");
    find->add_flag("-q,--quiet", options.quiet, "leave out the counts on standard error");
    find->add_option("DIR", options.paths, "the folders")->required();

    try {
        app.parse(static_cast<int>(argumentTexts.size()), argumentTexts.data());
    } catch (const CLI::ParseError& error) {
        app.exit(error);
        return error.get_exit_code() == 0 ? kExitSuccess : kExitUsage;
    }

    if (encrypt->parsed())
        return CheckOutputOptions("encrypt", options) ? RunEncrypt(options) : kExitUsage;
    if (decrypt->parsed())
        return CheckDecryptOptions(options) ? RunDecrypt(options) : kExitUsage;
    if (check->parsed())
        return RunCheck(options);
    if (status->parsed())
        return RunStatus(options);
    return RunFind(options);
}

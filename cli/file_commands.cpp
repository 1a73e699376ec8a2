#include "cli/file_commands.h"

#include <cstdio>
#include <memory>
#include <string>

#include "cli/key_input.h"
#include "cli/messages.h"
#include "cli/progress_line.h"
#include "core/file_jobs.h"
#include "platform/platform.h"

namespace {

enum class Command { kEncrypt, kDecrypt, kCheck };

// The command's name in messages, and the word for a file it has done.
struct CommandWords {
    const char* name;
    const char* done;
};

CommandWords WordsOf(Command command) {
    static const CommandWords words[] = {
        {"encrypt", "encrypted"}, {"decrypt", "decrypted"}, {"check", "verified"}};
    return words[static_cast<int>(command)];
}

const char* CommandName(Command command) {
    return WordsOf(command).name;
}

const char* DoneWord(Command command) {
    return WordsOf(command).done;
}

// The records folder: --data, else VEILQUILL_DATA, else this system's default.
std::string ChooseRecordsFolder(const CommandOptions& options) {
    if (!options.dataFolder.empty())
        return options.dataFolder;
    std::string fromEnvironment = EnvironmentValue("VEILQUILL_DATA");
    return fromEnvironment.empty() ? DefaultRecordsFolder() : fromEnvironment;
}

// What the batch will go over, for the progress line; files that cannot be read count 0.
std::uint64_t TotalSize(const CommandOptions& options) {
    std::uint64_t total = 0;
    for (const std::string& path : options.paths) {
        FileState state;
        if (ReadFileState(SystemFiles(), path, state) == FileFailure::kNone)
            total += state.size;
    }
    return total;
}

JobResult RunJob(Command command, const CommandOptions& options, const std::string& path,
                 const SecretKey& key, RecordStore& store, ProgressLine& progress) {
    FileAccess& files = SystemFiles();
    switch (command) {
    case Command::kEncrypt:
        return EncryptInPlace(files, path, key, store, &progress);
    case Command::kDecrypt:
        if (!options.output.empty())
            return DecryptToNewFile(files, path, options.output, key,
                                    options.noVerify ? nullptr : &store, &progress);
        return DecryptInPlace(files, path, key, store, &progress);
    case Command::kCheck:
        break;
    }
    return CheckKey(files, path, key, store, &progress);
}

void ReportSuccess(Command command, const CommandOptions& options, const std::string& path) {
    if (command == Command::kDecrypt && options.noVerify)
        Warn(std::string("decrypt: ") + path +
             ": the key was not verified; an unverified key may produce garbage");
    if (options.quiet)
        return;
    std::string line = std::string(DoneWord(command)) + ": " + path;
    if (command == Command::kDecrypt && !options.output.empty())
        line += " -> " + options.output;
    std::printf("%s\n", line.c_str());
}

int RunFileCommand(Command command, const CommandOptions& options) {
    const std::string folderPath = ChooseRecordsFolder(options);
    if (folderPath.empty()) {
        Warn("cannot tell where the key-check records are kept: name a folder with --data");
        return kExitFailure;
    }
    if (options.verbose)
        Warn("records folder: " + folderPath);
    std::unique_ptr<RecordFolder> folder = OpenRecordFolder(folderPath);
    RecordStore store(*folder);

    SecretKey key;
    std::string problem;
    if (!ObtainKey(options.key, command == Command::kEncrypt, key, problem)) {
        Warn(std::string(CommandName(command)) + ": " + problem);
        return kExitFailure;
    }

    ProgressLine progress(!options.quiet && StandardErrorIsTerminal(), TotalSize(options));
    std::size_t failed = 0;
    for (const std::string& path : options.paths) {
        FileState state;
        progress.BeginFile(
            ReadFileState(SystemFiles(), path, state) == FileFailure::kNone ? state.size : 0);
        const JobResult result = RunJob(command, options, path, key, store, progress);
        progress.Hide();
        if (result.outcome == JobOutcome::kDone) {
            ReportSuccess(command, options, path);
            if (options.verbose && !result.record.empty())
                Warn(std::string(CommandName(command)) + ": " + path + ": record " + result.record);
            continue;
        }
        ++failed;
        Warn(std::string(CommandName(command)) + ": " + path + ": " +
             JobFailureText(result, *folder, options.output, command != Command::kCheck));
    }
    if (options.paths.size() > 1 && !options.quiet)
        Warn(SummaryText(options.paths.size(), failed, DoneWord(command)));
    return failed == 0 ? kExitSuccess : kExitFailure;
}

} // namespace

int RunEncrypt(const CommandOptions& options) {
    return RunFileCommand(Command::kEncrypt, options);
}

int RunDecrypt(const CommandOptions& options) {
    return RunFileCommand(Command::kDecrypt, options);
}

int RunCheck(const CommandOptions& options) {
    return RunFileCommand(Command::kCheck, options);
}

int RunStatus(const CommandOptions& options) {
    std::size_t failed = 0;
    for (const std::string& path : options.paths) {
        FileState state;
        const FileFailure failure = ReadFileState(SystemFiles(), path, state);
        if (failure != FileFailure::kNone) {
            ++failed;
            Warn("status: " + path + ": " + FileFailureText(failure));
            continue;
        }
        std::printf("%s: %s, %llu bytes\n", path.c_str(), state.encrypted ? "encrypted" : "plain",
                    static_cast<unsigned long long>(state.size));
    }
    return failed == 0 ? kExitSuccess : kExitFailure;
}

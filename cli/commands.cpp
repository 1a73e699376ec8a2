#include "cli/commands.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/key_input.h"
#include "cli/messages.h"
#include "cli/progress_line.h"
#include "core/file_jobs.h"
#include "core/tree_walk.h"
#include "platform/platform.h"
#include "platform/program_text.h"
#include "platform/system_key_text.h"

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

// What `status` says a file is.
const char* FormatText(const FileFormat& format) {
    switch (format.kind) {
    case FormatKind::kPlain:
        break;
    case FormatKind::kOriginal:
        return "encrypted (original)";
    case FormatKind::kStrong:
        if (format.damaged)
            return "encrypted (strong, damaged)";
        return format.refused ? "encrypted (strong, by a newer version)" : "encrypted (strong)";
    }
    return "plain";
}

// What a file is, read from its end (and start); no head.
FileHead StateOf(const std::string& path) {
    return ReadFileHead(SystemFiles(), path, OpenPurpose::kRead, 0, nullptr);
}

// How many times a job goes over the file: a decryption into standard output verifies it
// first (but with --no-verify a file checked by records has nothing to verify), and an
// encryption into it first sums a file checked by records.
std::uint64_t PassesOver(Command command, const CommandOptions& options, const FileHead& state) {
    if (!WritesStandardOutput(options))
        return 1;
    if (command == Command::kEncrypt)
        return options.strong ? 1 : 2;
    return state.format.kind == FormatKind::kOriginal && options.noVerify ? 1 : 2;
}

// Where encrypt's and decrypt's result goes: the file itself, standard output or a new file.
Destination OutputOf(const CommandOptions& options, const std::string& path) {
    if (options.output.empty())
        return {path, SaveTarget::kSource};
    if (WritesStandardOutput(options))
        return StreamDestination(StandardOutput());
    return {options.output, SaveTarget::kNewFile};
}

JobResult RunJob(Command command, const CommandOptions& options, const std::string& path,
                 const TypedKey& key, RecordStore& store, ProgressLine& progress) {
    FileAccess& files = SystemFiles();
    const Destination destination = OutputOf(options, path);
    switch (command) {
    case Command::kEncrypt: {
        std::unique_ptr<Encryption> encryption;
        const FormatKind format = options.strong ? FormatKind::kStrong : FormatKind::kOriginal;
        const JobResult prepared = PrepareEncryption(files, format, key, encryption);
        if (!prepared.done())
            return prepared;
        if (IsStandardInput(path))
            return EncryptInput(files, StandardInput(), destination, *encryption, store, &progress);
        return Encrypt(files, path, destination, *encryption, nullptr, store, &progress);
    }
    case Command::kDecrypt: {
        // A decryption into another file or a stream keeps the record for the encrypted file;
        // --no-verify does without it.
        RecordStore* verifying = options.noVerify ? nullptr : &store;
        if (IsStandardInput(path))
            return DecryptInput(files, StandardInput(), destination, key, verifying, &progress);
        return Decrypt(files, path, destination, key, nullptr, verifying, &progress);
    }
    case Command::kCheck:
        break;
    }
    return PreviewDecryption(files, path, OpenPurpose::kRead, key, &store, 0, &progress).result;
}

// The success line on standard output; none when standard output carries the result.
void ReportSuccess(Command command, const CommandOptions& options, const std::string& name) {
    if (command == Command::kDecrypt && options.noVerify)
        Warn(std::string("decrypt: ") + name +
             ": the key was not verified; an unverified key may produce garbage");
    if (options.quiet || WritesStandardOutput(options))
        return;
    std::string line = std::string(DoneWord(command)) + ": " + name;
    if (!options.output.empty())
        line += " -> " + options.output;
    WriteText(stdout, line + "\n");
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

    const KeyTextSystem& system = SystemKeyText();
    TypedKey key;
    std::string problem;
    if (!ObtainKey(options.key, system, command == Command::kEncrypt, key, problem)) {
        Warn(std::string(CommandName(command)) + ": " + problem);
        return kExitFailure;
    }
    // A key the chosen format cannot take exactly is refused before any file is touched.
    const FormatKind format = options.strong ? FormatKind::kStrong : FormatKind::kOriginal;
    if (command == Command::kEncrypt && EncryptionKeyProblem(key, format) != KeyProblem::kNone) {
        Warn(std::string(CommandName(command)) + ": " +
             KeyRefusalText(EncryptionKeyProblem(key, format), options.strong,
                            KeyCodePage(options.key, system)));
        return kExitFailure;
    }

    // The sizes are read once, and only for a progress line that shows.
    const bool showProgress = !options.quiet && StandardErrorIsTerminal();
    std::vector<std::uint64_t> sizes(options.paths.size());
    std::uint64_t total = 0;
    for (std::size_t i = 0; showProgress && i < sizes.size(); ++i) {
        if (IsStandardInput(options.paths[i]))
            continue; // its size is not known before it has all come
        const FileHead state = StateOf(options.paths[i]);
        if (state.result.done())
            total += sizes[i] = state.format.size * PassesOver(command, options, state);
    }
    ProgressLine progress(showProgress, total);
    std::size_t failed = 0;
    for (std::size_t i = 0; i < options.paths.size(); ++i) {
        const std::string& path = options.paths[i];
        const std::string name = NameInMessages(path);
        progress.BeginFile(sizes[i]);
        const JobResult result = RunJobGuarded<JobResult>(
            [&] { return RunJob(command, options, path, key, store, progress); });
        progress.Hide();
        if (result.outcome == JobOutcome::kDone) {
            ReportSuccess(command, options, name);
            if (options.verbose && !result.record.empty())
                Warn(std::string(CommandName(command)) + ": " + name + ": record " + result.record);
            continue;
        }
        ++failed;
        // The reader of standard output has gone (`| head`): the end, without a word.
        if (result.file == FileFailure::kOutputClosed)
            continue;
        Warn(std::string(CommandName(command)) + ": " + name + ": " +
             JobFailureText(result, *folder, options.output,
                            command != Command::kCheck && !IsStandardInput(path)));
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
        const FileHead state = StateOf(path);
        if (!state.result.done()) {
            ++failed;
            Warn("status: " + path + ": " + FileFailureText(state.result.file));
            continue;
        }
        WriteText(stdout, path + ": " + FormatText(state.format) + ", " +
                              std::to_string(state.format.size) + " bytes\n");
    }
    return failed == 0 ? kExitSuccess : kExitFailure;
}

// find

namespace {

// The window's summary, without the spaces that lay it out in the status bar.
constexpr char kScannedText[] = "Number of files scanned:  ";
constexpr char kFoundPrefix[] = "Found ";
constexpr char kFoundSuffix[] = " encrypted file(s)";

// Prints each find as it comes and counts the scan.
class PrintingObserver : public ScanObserver {
  public:
    explicit PrintingObserver(char end) : end_(end) {}

    bool BeginVisit() override {
        ++visits_;
        return true;
    }
    bool TakeUpEntry(const std::string&) override { return true; }
    bool AddFound(const std::string& path) override {
        WriteText(stdout, path + end_);
        ++found_;
        return true;
    }
    bool StopRequested() override { return false; }

    std::uint32_t Visits() const { return visits_; }
    std::uint32_t Found() const { return found_; }

  private:
    char end_;
    std::uint32_t visits_ = 0;
    std::uint32_t found_ = 0;
};

} // namespace

int RunFind(const CommandOptions& options) {
    ScanFolders& folders = SystemScanFolders();
    std::uint32_t entries = 0;
    std::uint32_t found = 0;
    bool failed = false;
    for (const std::string& given : options.paths) {
        std::string root = given;
        if (root.empty() || (root.back() != folders.Separator() && root.back() != '/'))
            root += folders.Separator();
        if (!folders.ForEachEntry(root, [](const FolderEntry&) { return false; })) {
            Warn("find: " + given + ": not a folder, or it cannot be listed");
            failed = true;
            continue;
        }
        PrintingObserver observer(options.nulSeparated ? '\0' : '\n');
        WalkTree(folders, observer, root);
        entries += EntriesOfVisits(observer.Visits());
        found += observer.Found();
    }
    std::fflush(stdout);
    if (!options.quiet) {
        Warn(kScannedText + std::to_string(entries));
        Warn(kFoundPrefix + std::to_string(found) + kFoundSuffix);
    }
    return failed ? kExitFailure : kExitSuccess;
}

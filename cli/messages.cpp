#include "cli/messages.h"

#include <cstdio>

#include "cli/cli_options.h"
#include "core/strong_file.h"
#include "platform/program_text.h"

namespace {

constexpr char kLeftAsItWas[] = "; file left as it was";

// Whether the file a failed job worked on is as it was before, so that its message may say
// so. Not where there was no such file to leave (it is missing, a folder or no regular file,
// or the output already exists), nor where the job could not be finished and the file's old
// content may be gone (its new content is left beside it).
bool FileLeftAsItWas(const JobResult& result) {
    if (result.outcome != JobOutcome::kFileFailed)
        return true;
    switch (result.file) {
    case FileFailure::kLeftBesideFile:
    case FileFailure::kMissing:
    case FileFailure::kIsFolder:
    case FileFailure::kNotFile:
    case FileFailure::kExists:
        return false;
    default:
        return true;
    }
}

} // namespace

void Warn(const std::string& line) {
    std::fflush(stdout); // keep the two streams in order on a terminal
    WriteText(stderr, line + "\n");
}

std::string NameInMessages(const std::string& path) {
    return IsStandardInput(path) ? "standard input" : path;
}

std::string FileFailureText(FileFailure failure) {
    switch (failure) {
    case FileFailure::kNone:
        return "no failure";
    case FileFailure::kMissing:
        return "no such file";
    case FileFailure::kIsFolder:
        return "is a folder";
    case FileFailure::kNotFile:
        return "not a regular file";
    case FileFailure::kNoAccess:
        return "permission denied";
    case FileFailure::kInUse:
        return "open for writing in another program";
    case FileFailure::kChanged:
        return "changed by another program meanwhile";
    case FileFailure::kReadFailed:
        return "cannot be read";
    case FileFailure::kNoSpace:
        return "the disk is full";
    case FileFailure::kWriteFailed:
        return "cannot be written";
    case FileFailure::kExists:
        return "already exists";
    case FileFailure::kStopped:
        return "stopped";
    case FileFailure::kLeftBesideFile:
        return "could not be finished; its whole new content is left in a file beside it";
    case FileFailure::kOutputClosed:
        return "standard output was closed before the end";
    }
    return "failed";
}

namespace {

// Where a strong file was found damaged, in words.
std::string DamageText(std::uint64_t damagedAt) {
    if (damagedAt == kStrongKeyCheckAt)
        return "the file is damaged: its key check does not match, although the key opens its "
               "first chunk";
    if (damagedAt < kStrongHeaderLength)
        return "the file is damaged: its header does not match its header check";
    return "the file is damaged: the chunk at byte " + std::to_string(damagedAt) +
           " does not verify";
}

} // namespace

std::string JobFailureText(const JobResult& result, RecordFolder& folder, const std::string& output,
                           bool changesFiles) {
    std::string text;
    switch (result.outcome) {
    case JobOutcome::kDone:
        return {};
    case JobOutcome::kNoKey:
        text = "no key";
        break;
    case JobOutcome::kEmpty:
        text = "the file is empty; there is nothing to encrypt";
        break;
    case JobOutcome::kAlreadyEncrypted:
        text = "already encrypted";
        break;
    case JobOutcome::kNotEncrypted:
        text = "not encrypted";
        break;
    case JobOutcome::kNoRecord:
        text = "the key does not match any record";
        if (!folder.Exists())
            text += " (there is no records folder " + folder.Path() + ")";
        break;
    case JobOutcome::kStoreFailed:
        text = "the key-check record cannot be written in " + folder.Path();
        break;
    case JobOutcome::kNoMemory:
        text = "not enough memory";
        break;
    case JobOutcome::kWrongKey:
        text = "wrong key";
        break;
    case JobOutcome::kDamaged:
        text = DamageText(result.damagedAt);
        break;
    case JobOutcome::kNewerFormat:
        text = "made by a newer version of Veilquill, or its header is damaged";
        break;
    case JobOutcome::kNoLibrary:
        text = "the strong format needs libgcrypt: " + result.detail;
        break;
    case JobOutcome::kLibraryFailed:
        text = "the cryptography library failed: " + result.detail;
        break;
    case JobOutcome::kKeyNotInCodePage:
        text = "the key holds a character the original format cannot store; the strong format "
               "(--strong) takes any text";
        break;
    case JobOutcome::kKeyTooLong:
        text = "the key is too long for this file's format; a key is never cut short";
        break;
    case JobOutcome::kFileFailed:
        text = FileFailureText(result.file);
        if (result.file == FileFailure::kExists && !output.empty())
            text = output + " " + text;
        break;
    }
    if (changesFiles && FileLeftAsItWas(result))
        text += kLeftAsItWas;
    return text;
}

std::string KeyRefusalText(KeyProblem problem, bool strong, unsigned codePage) {
    const std::string inCodePage = " in code page " + std::to_string(codePage);
    switch (problem) {
    case KeyProblem::kNone:
        break;
    case KeyProblem::kNotInCodePage:
        return "the key holds a character that the original format cannot store" + inCodePage +
               "; nothing was encrypted. The strong format (--strong) takes any text";
    case KeyProblem::kTooLong:
        return strong ? "the key is longer than " + std::to_string(kMaxStrongKeyLength) +
                            " bytes in UTF-8; a key is never cut short"
                      : "the key is longer than " + std::to_string(kMaxKeyLength) + " bytes" +
                            inCodePage + "; a key is never cut short";
    case KeyProblem::kEmpty:
        return "the key is empty";
    case KeyProblem::kZeroByte:
        return "the key holds a zero character";
    }
    return {};
}

std::string SummaryText(std::size_t files, std::size_t failed, const char* doneWord) {
    return std::to_string(files) + " files: " + std::to_string(files - failed) + " " + doneWord +
           ", " + std::to_string(failed) + " failed";
}

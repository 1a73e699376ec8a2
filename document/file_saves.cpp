#include "document/file_saves.h"

#include <memory>

#include "core/document_jobs.h"
#include "core/record_store.h"
#include "core/secret_key.h"
#include "platform/platform.h"
#include "store/checksum_store.h"

namespace {

// The previewed file itself, another file that exists, or a new name.
SaveTarget TargetOf(const SaveRequest& request) {
    if (IsSameFile(request.sourcePath, request.targetPath))
        return SaveTarget::kSource;
    return PathExists(request.targetPath) ? SaveTarget::kOtherFile : SaveTarget::kNewFile;
}

// What the user is told follows the file that failed: the previewed file could not be read
// (the open-error notice), or the target could not be written.
FileStatus StatusOf(const SaveResult& result) {
    return StatusOfJob(result.job.outcome, result.job.file, result.atTarget);
}

// Takes the request's key; kNoKey without one, kOpenFailed without paths.
FileStatus TakeRequest(const SaveRequest& request, SecretKey& key) {
    if (key.Assign(request.key, request.keyLength) != KeyProblem::kNone)
        return FileStatus::kNoKey;
    if (request.sourcePath == nullptr || request.targetPath == nullptr)
        return FileStatus::kOpenFailed;
    return FileStatus::kOk;
}

SaveOutcome EncryptedSave(const SaveRequest& request, const char* storeFolder,
                          JobProgress* progress) {
    SecretKey key;
    const FileStatus taken = TakeRequest(request, key);
    if (taken != FileStatus::kOk)
        return SaveOutcome{taken, {}};
    if (storeFolder == nullptr)
        return SaveOutcome{FileStatus::kStoreFailed, {}};
    std::unique_ptr<RecordFolder> folder = OpenRecordFolder(storeFolder);
    RecordStore store(*folder);
    const SaveResult result =
        SaveEncryption(SystemFiles(), request.sourcePath, request.targetPath, TargetOf(request),
                       key, request.preview, store, progress);
    SaveOutcome outcome{StatusOf(result), {}};
    // A record removed again after a failed commit is named nowhere.
    if (outcome.status == FileStatus::kOk || outcome.status == FileStatus::kStranded)
        outcome.recordPath = storeFolder + result.job.record;
    return outcome;
}

SaveOutcome DecryptedSave(const SaveRequest& request, const char* recordPath, bool deleteRecord,
                          JobProgress* progress) {
    SecretKey key;
    const FileStatus taken = TakeRequest(request, key);
    if (taken != FileStatus::kOk)
        return SaveOutcome{taken, {}};
    const SaveResult result = SaveDecryption(SystemFiles(), request.sourcePath, request.targetPath,
                                             TargetOf(request), key, request.preview, progress);
    const FileStatus status = StatusOf(result);
    // The file is decrypted on disk; a record that another program has reused meanwhile
    // belongs to another file now and stays.
    if (status == FileStatus::kOk && deleteRecord)
        DeleteChecksumRecord(recordPath, request.preview.checksum);
    return SaveOutcome{status, {}};
}

} // namespace

SaveOutcome SaveEncryptedFile(const SaveRequest& request, const char* storeFolder,
                              JobProgress* progress) {
    return RunFileWork<SaveOutcome>([&] { return EncryptedSave(request, storeFolder, progress); });
}

SaveOutcome SaveDecryptedFile(const SaveRequest& request, const char* recordPath, bool deleteRecord,
                              JobProgress* progress) {
    return RunFileWork<SaveOutcome>(
        [&] { return DecryptedSave(request, recordPath, deleteRecord, progress); });
}

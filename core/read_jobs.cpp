// The jobs that only read: a file's head and the two previews.
#include <algorithm>
#include <memory>

#include "core/content_sums.h"
#include "core/file_jobs.h"
#include "core/piece_stream.h"

FileHead ReadFileHead(FileAccess& files, const std::string& path, OpenPurpose purpose,
                      std::size_t headLimit, JobProgress* progress) {
    FileHead result;
    std::unique_ptr<SourceFile> source;
    result.result = OpenWithFormat(files, path, purpose, progress, source, result.format);
    if (!result.result.done())
        return result;
    const FileFormat& format = result.format;
    result.head.resize(static_cast<std::size_t>(
        std::min<std::uint64_t>(headLimit, format.bodyEnd - format.bodyStart)));
    if (!result.head.empty()) {
        const FileFailure read =
            source->ReadAt(format.bodyStart, result.head.data(), result.head.size());
        if (read != FileFailure::kNone)
            result.result = FailedAt(read, false);
    }
    if (progress != nullptr)
        progress->Advance(format.size);
    return result;
}

PreviewPass PreviewEncryption(FileAccess& files, const std::string& path, OpenPurpose purpose,
                              const Encryption& encryption, std::size_t headLimit,
                              JobProgress* progress) {
    PreviewPass pass;
    std::unique_ptr<SourceFile> source;
    FileFormat format;
    if (!(pass.result = OpenWithFormat(files, path, purpose, progress, source, format)).done())
        return pass;
    if (format.size == 0 || format.encrypted()) {
        pass.result = Ended(format.size == 0 ? JobOutcome::kEmpty : JobOutcome::kAlreadyEncrypted);
        return pass;
    }
    const std::vector<unsigned char> header = encryption.Header();
    pass.head.assign(header.begin(), header.begin() + std::min(headLimit, header.size()));
    HeadSink shown(pass.head, headLimit);
    const std::unique_ptr<ContentTransform> transform = encryption.Begin();
    StreamPass stream{0, format.size, transform.get(), true, &shown};
    RunningChecksum checksum;
    RunningFingerprint fingerprint;
    pass.result = StreamThrough(*source, stream, &shown, &checksum, &fingerprint, progress);
    if (pass.result.done())
        pass.snapshot = ContentSnapshot{format.size, fingerprint.Value(), checksum.Value()};
    return pass;
}

namespace {

// The decrypt preview with the key's form `attempt`; `tries` tells how many forms there are.
PreviewPass PreviewDecryptionWith(FileAccess& files, const std::string& path, OpenPurpose purpose,
                                  const TypedKey& key, std::size_t attempt, std::size_t& tries,
                                  RecordStore* store, std::size_t headLimit,
                                  JobProgress* progress) {
    PreviewPass pass;
    std::unique_ptr<SourceFile> source;
    FileFormat format;
    if (!(pass.result = OpenWithFormat(files, path, purpose, progress, source, format)).done())
        return pass;
    std::unique_ptr<Decryption> decryption;
    if (!format.encrypted()) {
        pass.result = Ended(JobOutcome::kNotEncrypted);
        return pass;
    }
    tries = DecryptionTries(key, format.kind);
    if (!(pass.result = PrepareDecryption(files, *source, format, key, decryption, attempt)).done())
        return pass;
    HeadSink shown(pass.head, headLimit);
    const std::unique_ptr<ContentTransform> transform = decryption->Begin();
    RunningChecksum checksum;
    RunningFingerprint fingerprint;
    pass.result =
        StreamEncryptedBody(*source, format, *transform, &shown, &checksum, &fingerprint, progress);
    if (!pass.result.done())
        return pass;
    pass.snapshot = ContentSnapshot{format.size, fingerprint.Value(), checksum.Value()};
    pass.result.checksum = checksum.Value();
    if (decryption->CheckedByRecord()) {
        const std::optional<std::string> record =
            store != nullptr ? store->Find(checksum.Value()) : std::nullopt;
        if (record)
            pass.result.record = *record;
        else
            pass.result.outcome = JobOutcome::kNoRecord;
    }
    if (pass.result.done())
        pass.decryption = std::move(decryption);
    return pass;
}

} // namespace

PreviewPass PreviewDecryption(FileAccess& files, const std::string& path, OpenPurpose purpose,
                              const TypedKey& key, RecordStore* store, std::size_t headLimit,
                              JobProgress* progress) {
    if (key.empty()) {
        PreviewPass pass;
        pass.result = Ended(JobOutcome::kNoKey);
        return pass;
    }
    std::size_t tries = 1;
    RepeatedPassProgress repeated(progress);
    for (std::size_t attempt = 0;; ++attempt) {
        PreviewPass pass =
            PreviewDecryptionWith(files, path, purpose, key, attempt, tries, store, headLimit,
                                  attempt == 0 || progress == nullptr ? progress : &repeated);
        if (pass.result.outcome != JobOutcome::kNoRecord || store == nullptr ||
            attempt + 1 >= tries)
            return pass;
    }
}

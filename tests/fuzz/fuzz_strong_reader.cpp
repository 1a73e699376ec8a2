// Feeds arbitrary bytes as a whole file to the strong format's reader: the classification of
// its size, header and trailer, the key check (and chunk 0, which tells a damaged key check
// from a wrong key), and the chunks opened piece by piece with the real ChaCha20-Poly1305
// sessions and HMAC from libgcrypt, the way the programs call them. Argon2id stays out of the loop:
// a stand-in gives a fixed master key, so a file's keys follow from its header alone and the seed
// files (made with the same stand-in) open. A file that opens whole must be exactly what sealing
// its plain text again under its own header gives; a piece that fails hands out nothing.
//
// VQ_WRITE_STRONG_SEEDS=FOLDER makes the target write its seed files into FOLDER and end.
#include "core/strong_file.h"
#include "core/strong_payload.h"
#include "platform/crypto_library.h"
#include "tests/support/delegating_primitives.h"
#include "tests/support/strong_oracle.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

class FixedDerivation : public vqtest::DelegatingPrimitives {
  public:
    using DelegatingPrimitives::DelegatingPrimitives;
    bool Argon2id(const unsigned char*, std::size_t, const unsigned char*, std::size_t,
                  const Argon2Cost&, unsigned char* out) const override {
        std::memset(out, 0x5A, kSecretKeyLength);
        return true;
    }
};

const StrongPrimitives& Primitives() {
    static const CryptoLibrary library = OpenCryptoLibrary();
    Check(library.primitives != nullptr);
    static const FixedDerivation primitives(*library.primitives);
    return primitives;
}

const SecretKey& Key() {
    static SecretKey key;
    if (key.empty())
        Check(key.Assign(reinterpret_cast<const unsigned char*>("K"), 1) == KeyProblem::kNone);
    return key;
}

// The payload of `plain` under `keys`, sealed in pieces of `chunksPerPiece` chunks.
Bytes Seal(const StrongKeys& keys, const Bytes& plain, std::size_t chunksPerPiece) {
    StrongPayloadWriter writer(Primitives(), keys);
    const std::size_t piece = chunksPerPiece * kStrongChunkSize;
    Bytes payload(StrongPayloadLayout::OfPlainText(plain.size()).payloadLength);
    std::size_t written = 0;
    for (std::size_t done = 0; done < plain.size(); done += piece) {
        const std::size_t length = std::min(piece, plain.size() - done);
        std::size_t sealedLength = 0;
        Check(writer.Seal(plain.data() + done, length, done + length == plain.size(),
                          payload.data() + written, sealedLength));
        written += sealedLength;
    }
    return payload;
}

// A strong file of `plain` with a fixed salt and file nonce.
Bytes StrongFile(const Bytes& plain) {
    Bytes file(kStrongHeaderLength);
    const Bytes salt(kStrongSaltLength, 0x11), fileNonce(kStrongFileNonceLength, 0x22);
    StrongKeys keys;
    Check(WriteStrongHeader(Primitives(), Key(), kStrongWriterCost, salt.data(), fileNonce.data(),
                            file.data(), keys));
    const Bytes payload = Seal(keys, plain, kStrongChunksPerPiece);
    file.insert(file.end(), payload.begin(), payload.end());
    file.insert(file.end(), {kTrailerBytes[0], kTrailerBytes[1]});
    return file;
}

void WriteSeeds(const std::string& folder) {
    const auto write = [&](const char* name, const Bytes& bytes) {
        std::ofstream(folder + "/" + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    };
    const std::string hello = "Hello, world!\r\n";
    const Bytes oneChunk = StrongFile(Bytes(hello.begin(), hello.end()));
    write("one_chunk", oneChunk);
    write("two_chunks", StrongFile(Bytes(kStrongChunkSize + 1, 'x')));
    Bytes newer = oneChunk;
    newer[kStrongVersionAt] = 2;
    unsigned char digest[kSha256Length];
    Check(Primitives().Sha256(newer.data(), kStrongHeaderCheckAt, digest));
    std::memcpy(newer.data() + kStrongHeaderCheckAt, digest, kStrongHeaderCheckLength);
    write("newer_version", newer);
    Bytes keyCheckDamaged = oneChunk;
    keyCheckDamaged[kStrongKeyCheckAt] ^= 1;
    write("damaged_key_check", keyCheckDamaged);
    write("original_format", Bytes{'a', 'b', 'c', kTrailerBytes[0], kTrailerBytes[1]});
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (const char* folder = std::getenv("VQ_WRITE_STRONG_SEEDS")) {
        WriteSeeds(folder);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ByteRange firstChunk{data + std::min(size, kStrongHeaderLength),
                               StrongPayloadLayout::OfFile(size).FirstChunkLength()};
    const StrongFileStart start{size, data, std::min(size, kStrongHeaderLength),
                                size >= kTrailerLength ? data + size - kTrailerLength : nullptr,
                                firstChunk};
    StrongKeys keys;
    const StrongFileState state = UnlockStrongFile(Primitives(), Key(), start, keys);
    Check(state != StrongFileState::kFailed);
    if (state != StrongFileState::kUnlocked)
        return 0;
    const StrongPayloadLayout layout = StrongPayloadLayout::OfFile(size);
    Check(layout.whole && StrongFileSize(layout.plainSize) == size);

    // Pieces of one chunk or of two, by the file's size, so that both cross chunk boundaries.
    const std::size_t chunksPerPiece = 1 + size % 2;
    const std::size_t piece = chunksPerPiece * kStrongStoredChunkSize;
    StrongPayloadReader reader(Primitives(), keys, layout);
    Bytes plain, buffer(piece);
    const std::size_t payloadEnd = size - kTrailerLength;
    for (std::size_t at = kStrongHeaderLength; at < payloadEnd; at += piece) {
        const std::size_t length = std::min(piece, payloadEnd - at);
        std::size_t plainLength = 0;
        if (!reader.Open(data + at, length, buffer.data(), plainLength)) {
            Check(plainLength == 0 && reader.BadChunk() < layout.chunkCount);
            return 0;
        }
        plain.insert(plain.end(), buffer.begin(), buffer.begin() + plainLength);
    }
    Check(reader.Finished() && plain.size() == layout.plainSize);
    const Bytes payload = Seal(keys, plain, chunksPerPiece);
    Check(std::equal(payload.begin(), payload.end(), data + kStrongHeaderLength));
    return 0;
}

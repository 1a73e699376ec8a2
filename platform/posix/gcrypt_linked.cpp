// The library linked into the program, as on Linux.
#include "platform/crypto_library.h"
#include "platform/gcrypt/gcrypt_primitives.h"

namespace {

GcryptFunctions LinkedFunctions() {
    GcryptFunctions functions;
#define VQ_GCRYPT_LINKED(name) functions.name = &::gcry_##name;
    VQ_GCRYPT_FUNCTIONS(VQ_GCRYPT_LINKED)
#undef VQ_GCRYPT_LINKED
    return functions;
}

struct LinkedGcrypt {
    const GcryptFunctions functions = LinkedFunctions();
    const bool started = StartGcrypt(functions);
    const GcryptPrimitives primitives{functions};
};

} // namespace

CryptoLibrary OpenCryptoLibrary() {
    static const LinkedGcrypt library; // started once, whichever thread comes first
    CryptoLibrary result;
    if (library.started) {
        result.primitives = &library.primitives;
    } else {
        result.problem = CryptoLibraryProblem::kTooOld;
        result.file = "libgcrypt.so.20";
    }
    return result;
}

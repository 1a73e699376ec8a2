#include "platform/crypto_library.h"

const StrongPrimitives* StrongPrimitivesOrProblem(std::string& problem) {
    const CryptoLibrary library = OpenCryptoLibrary();
    switch (library.problem) {
    case CryptoLibraryProblem::kNone:
        return library.primitives;
    case CryptoLibraryProblem::kMissing:
        problem = library.file + " is missing";
        break;
    case CryptoLibraryProblem::kUnusable:
        problem = library.file + " cannot be loaded";
        break;
    case CryptoLibraryProblem::kTooOld:
        problem = library.file + " is older than version 1.10";
        break;
    }
    return nullptr;
}

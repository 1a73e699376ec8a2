// The cryptographic library behind the strong format (libgcrypt), reached the first time it is
// needed. On Linux it is linked into the program. On Windows it is two DLLs beside the program,
// loaded from the program's own folder and from nowhere else, and not before a strong file is
// to be read or written: a copy of the program without them starts, and reads and writes the
// original format, as before.
#ifndef VEILQUILL_CRYPTO_LIBRARY_H
#define VEILQUILL_CRYPTO_LIBRARY_H

#include <string>

#include "core/strong_primitives.h"

enum class CryptoLibraryProblem {
    kNone,
    kMissing,  // `file` is not there
    kUnusable, // `file` is there but does not load, or lacks a function the program calls
    kTooOld,   // the library is older than 1.10, which brought Argon2id
};

struct CryptoLibrary {
    // Set when the library is ready; it stays so until the process ends.
    const StrongPrimitives* primitives = nullptr;
    CryptoLibraryProblem problem = CryptoLibraryProblem::kNone;
    std::string file; // the file concerned: on Windows its full path
};

// The library's primitives, loaded and initialised on the first call; safe from any thread.
// On Windows a failure is not kept: the next call looks again, so DLLs put in place while the
// program runs are found.
CryptoLibrary OpenCryptoLibrary();

// The library's primitives as the file jobs ask for them: null, with the problem in words that
// name the file concerned, when the library cannot be had.
const StrongPrimitives* StrongPrimitivesOrProblem(std::string& problem);

#endif

// libgcrypt's two DLLs loaded from one folder: the programs' own folder, or any folder a test
// names.
#ifndef VEILQUILL_WIN32_GCRYPT_LOADER_H
#define VEILQUILL_WIN32_GCRYPT_LOADER_H

#include <memory>
#include <string>

#include "platform/crypto_library.h"
#include "platform/gcrypt/gcrypt_primitives.h"
#include "platform/win32_handles.h"

constexpr const char* kGcryptDllName = "libgcrypt-20.dll";
constexpr const char* kGpgErrorDllName = "libgpg-error-0.dll"; // which libgcrypt-20.dll needs

// The two DLLs, started, and the primitives over them; unloaded when this goes.
class LoadedGcrypt {
  public:
    LoadedGcrypt(UniqueModule gpgError, UniqueModule gcrypt, const GcryptFunctions& functions)
        : gpgError_(std::move(gpgError)), gcrypt_(std::move(gcrypt)), primitives_(functions) {}
    LoadedGcrypt(const LoadedGcrypt&) = delete;
    LoadedGcrypt& operator=(const LoadedGcrypt&) = delete;

    const StrongPrimitives& Primitives() const { return primitives_; }

  private:
    UniqueModule gpgError_; // freed last: libgcrypt-20.dll uses it
    UniqueModule gcrypt_;
    GcryptPrimitives primitives_;
};

struct GcryptLoad {
    std::unique_ptr<LoadedGcrypt> library; // null on failure
    CryptoLibraryProblem problem = CryptoLibraryProblem::kNone;
    std::string file; // the full path of the file that is missing or unusable
};

// Loads both DLLs from `folder` (a full path, with or without its last backslash) and never
// from anywhere else, and starts the library. On failure nothing stays loaded.
GcryptLoad LoadGcryptFrom(const std::string& folder);

#endif

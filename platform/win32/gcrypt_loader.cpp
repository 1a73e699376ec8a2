#include "platform/win32/gcrypt_loader.h"

#include <windows.h>

#include <mutex>

#include "util/path_text.h"
#include "platform/win32_program_folder.h"
#include "platform/win32_wide_text.h"

namespace {

std::string InFolder(const std::string& folder, const char* name) {
    return folder + (folder.empty() || folder.back() == '\\' ? "" : "\\") + name;
}

// C:\... or \\server\..., also behind \\?\: a path that names one place whatever the
// current folder is.
bool IsFullPath(const std::string& path) {
    return PathRootLength(path) != 0 || path.rfind("\\\\", 0) == 0;
}

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(FileSystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Loads the DLL at `path` itself, never one of the same name found elsewhere; what it needs
// is looked for beside it and in the system folder only.
UniqueModule LoadAt(const std::string& path) {
    const std::wstring wide = FileSystemPath(path);
    HMODULE module = LoadLibraryExW(
        wide.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Windows 7 without its update KB2533623 does not know those flags: its own way to look
    // beside the DLL first.
    if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER)
        module = LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return UniqueModule(module);
}

template <typename Function> bool Resolve(HMODULE module, const char* name, Function& function) {
    const FARPROC address = GetProcAddress(module, name);
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
    return address != nullptr;
}

GcryptLoad Failure(CryptoLibraryProblem problem, const std::string& file) {
    GcryptLoad load;
    load.problem = problem;
    load.file = file;
    return load;
}

// The library this process loaded from its own folder, kept until the process ends.
struct ProcessGcrypt {
    std::mutex lock;
    std::unique_ptr<LoadedGcrypt> loaded;
};
ProcessGcrypt& TheProcessGcrypt() {
    static ProcessGcrypt library;
    return library;
}

} // namespace

GcryptLoad LoadGcryptFrom(const std::string& folder) {
    const std::string gcryptPath = InFolder(folder, kGcryptDllName);
    const std::string gpgErrorPath = InFolder(folder, kGpgErrorDllName);
    // A name alone would let Windows look along its search path.
    if (!IsFullPath(folder))
        return Failure(CryptoLibraryProblem::kMissing, gcryptPath);
    for (const std::string* path : {&gcryptPath, &gpgErrorPath}) {
        if (!IsFile(*path))
            return Failure(CryptoLibraryProblem::kMissing, *path);
    }
    // libgcrypt-20.dll's own import of libgpg-error-0.dll then finds this one, already loaded.
    UniqueModule gpgError = LoadAt(gpgErrorPath);
    if (!gpgError)
        return Failure(CryptoLibraryProblem::kUnusable, gpgErrorPath);
    UniqueModule gcrypt = LoadAt(gcryptPath);
    if (!gcrypt)
        return Failure(CryptoLibraryProblem::kUnusable, gcryptPath);
    GcryptFunctions functions;
    bool resolved = true;
#define VQ_GCRYPT_RESOLVE(name)                                                                    \
    resolved = resolved && Resolve(gcrypt.get(), "gcry_" #name, functions.name);
    VQ_GCRYPT_FUNCTIONS(VQ_GCRYPT_RESOLVE)
#undef VQ_GCRYPT_RESOLVE
    if (!resolved)
        return Failure(CryptoLibraryProblem::kUnusable, gcryptPath);
    if (!StartGcrypt(functions))
        return Failure(CryptoLibraryProblem::kTooOld, gcryptPath);
    GcryptLoad load;
    load.library =
        std::make_unique<LoadedGcrypt>(std::move(gpgError), std::move(gcrypt), functions);
    return load;
}

CryptoLibrary OpenCryptoLibrary() {
    ProcessGcrypt& library = TheProcessGcrypt();
    std::lock_guard<std::mutex> hold(library.lock);
    CryptoLibrary result;
    if (!library.loaded) {
        GcryptLoad load = LoadGcryptFrom(ProgramFolder(true));
        if (!load.library) {
            result.problem = load.problem;
            result.file = load.file;
            return result;
        }
        library.loaded = std::move(load.library);
    }
    result.primitives = &library.loaded->Primitives();
    return result;
}

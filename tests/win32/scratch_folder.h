// A scratch folder of its own for each test, made in the temporary folder and removed with
// everything in it.
#ifndef VEILQUILL_SCRATCH_FOLDER_H
#define VEILQUILL_SCRATCH_FOLDER_H

#include <windows.h>

#include <string>

namespace vqtest {

// Removes a folder with everything in it.
inline void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "\\" + name;
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// A fresh folder of its own, removed with everything in it when the test ends.
class ScratchFolder {
  public:
    explicit ScratchFolder(const char* prefix = "vqtest-") {
        static LONG counter = 0;
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(sizeof temp, temp);
        path_ = std::string(temp) + prefix + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(InterlockedIncrement(&counter));
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    // The folder with a trailing backslash, as the checksum store takes it.
    std::string WithBackslash() const { return path_ + "\\"; }

  private:
    std::string path_;
};

} // namespace vqtest

#endif

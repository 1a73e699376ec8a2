// What the tests of strong files share: the cryptographic library put beside a copy of the
// program, the command-line program run from its build folder, and the shape of a strong file.
#ifndef VEILQUILL_UI_STRONG_SUPPORT_H
#define VEILQUILL_UI_STRONG_SUPPORT_H

#include <cstddef>
#include <string>

#include "driver/ui_driver.h"
#include "resources/resource_ids.h"
#include "tests/support/literal_cipher.h"
#include "tests/support/strong_oracle.h"

namespace vqtest {

// A strong file starts with this, ends in the trailer and has the size StrongFileSize gives.
inline const std::string kStrongMagic("\x89VQ2\r\n\x1a\n", 8);
inline bool LooksStrong(const std::string& bytes, std::size_t plainSize) {
    return bytes.size() == StrongFileSize(plainSize) && bytes.compare(0, 8, kStrongMagic) == 0 &&
           bytes.compare(bytes.size() - 2, 2, kTrailer) == 0;
}

// The two DLLs a copy of the program loads for the strong format, put beside it.
inline bool PlaceCryptoLibrary(ProgramUnderTest& program) {
    const std::string folder =
        JoinPath(UnixToWindowsPath(EnvironmentValue("VQ_BUILD_DIR")), "crypto_dlls");
    return program.PlaceBeside(JoinPath(folder, "libgcrypt-20.dll"), "libgcrypt-20.dll") &&
           program.PlaceBeside(JoinPath(folder, "libgpg-error-0.dll"), "libgpg-error-0.dll");
}

// Runs a command line in `folder` without a console window and waits for it; its exit code,
// 255 when it did not start or end in time.
inline DWORD RunToEnd(std::string line, const std::string& folder, DWORD timeoutMs = 120000) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        folder.c_str(), &startup, &started))
        return 255;
    UniqueHandle process(started.hProcess);
    UniqueHandle thread(started.hThread);
    DWORD code = 255;
    if (WaitForSingleObject(process.get(), timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.get(), &code);
    return code;
}

// veilquill-cli.exe in its build folder (the DLLs are beside it) with its own records folder,
// which stays empty for strong files, and the key in a key file; all in `work`.
class StrongCli {
  public:
    StrongCli(const std::string& work, const std::string& key) : work_(work) {
        MakeFolders(Data());
        WriteBytes(JoinPath(work_, "cli-key.txt"), key + "\r\n");
    }
    std::string Data() const { return JoinPath(work_, "cli-data"); }
    // `command` is "encrypt --strong", "decrypt -o OUT", "check", ...; its exit code.
    DWORD Run(const std::string& command, const std::string& file) const {
        return RunToEnd("\"" + UnixToWindowsPath(EnvironmentValue("VQ_CLI")) + "\" " + command +
                            " --quiet --data \"" + Data() + "\" --key-file \"" +
                            JoinPath(work_, "cli-key.txt") + "\" \"" + file + "\"",
                        work_);
    }
    // The plain text of a strong file, or "<failed>".
    std::string Decrypted(const std::string& file) const {
        const std::string out = JoinPath(work_, "cli-out.txt");
        DeleteFileA(out.c_str());
        const DWORD code = Run("decrypt -o \"" + out + "\"", file);
        const std::string plain = code == 0 ? ReadBytes(out).value_or("<failed>") : "<failed>";
        DeleteFileA(out.c_str());
        return plain;
    }

  private:
    std::string work_;
};

// The "Use strong encryption" box of an open encryption key dialog.
inline bool StrongBoxTicked(HWND keyDialog) {
    return SendMessageA(Control(keyDialog, IDC_ENCRYPT_STRONG), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
// Clicks the box when it is not in the state wanted, as a user would.
inline bool SetStrongBox(HWND keyDialog, bool ticked) {
    if (StrongBoxTicked(keyDialog) == ticked)
        return true;
    return Click(Control(keyDialog, IDC_ENCRYPT_STRONG)) &&
           WaitUntil([&] { return StrongBoxTicked(keyDialog) == ticked; });
}

} // namespace vqtest

#endif

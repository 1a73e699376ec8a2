// What the tests of the companion SendTo.exe and of the installer share: the user's shell
// folders, shortcuts read back through IShellLinkA, values of the current user's registry, and
// programs run to their end. These tests run in a Wine session of their own, so the user's
// Send To folder, Start menu and registry are theirs.
#ifndef VEILQUILL_INSTALL_SUPPORT_H
#define VEILQUILL_INSTALL_SUPPORT_H

#include <windows.h>

#include <optional>
#include <string>

namespace vqtest {

// SHGetFolderPathA of a CSIDL_ folder of the current user; empty when there is none.
std::string ShellFolderPath(int csidl);

// Veilquill.lnk in the user's Send To folder, and the mark that says it was made once.
std::string SendToShortcutPath();
std::string SendToMarkPath();
// Removes both, so that a test starts as a user who never ran Veilquill.
void ForgetSendToEntry();

// The program a shortcut points at (IShellLinkA::GetPath); empty when there is no readable one.
std::optional<std::string> ShortcutTarget(const std::string& shortcutPath);
bool SamePath(const std::string& a, const std::string& b); // case-insensitive, as Windows

// Values under HKEY_CURRENT_USER\<key>.
bool RegistryKeyExists(const std::string& key);
std::optional<std::string> RegistryText(const std::string& key, const char* name);
std::optional<DWORD> RegistryNumber(const std::string& key, const char* name);

// Runs a program with exactly this command line (nullptr application: the command line names
// it) until it ends; its exit code, or nothing when it did not start or end in time.
std::optional<DWORD> RunToEnd(const std::string& application, const std::string& commandLine,
                              DWORD timeoutMs = 60000);

} // namespace vqtest

#endif

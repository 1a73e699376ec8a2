// Shell shortcuts (.lnk files) read and written through IShellLinkW and IPersistFile, paths in
// UTF-8. The calling thread must be in a COM apartment.
#ifndef VEILQUILL_SHELL_LINK_H
#define VEILQUILL_SHELL_LINK_H

#include <optional>
#include <string>

// The program a shortcut points at; nothing when the file is missing or no readable shortcut.
std::optional<std::string> ShortcutTarget(const std::string& shortcutPath);

// What a shortcut to a program shows and where that program starts.
struct ShortcutContent {
    std::string target;
    std::string workingFolder;
    std::string description;
};

// Writes a new shortcut, replacing any file of that name. False when it could not be written.
bool WriteShortcut(const std::string& shortcutPath, const ShortcutContent& content);

// Points an existing shortcut at another program, keeping what else the user set in it (a key,
// a window size). False when it could not be read or written.
bool RepointShortcut(const std::string& shortcutPath, const ShortcutContent& content);

#endif

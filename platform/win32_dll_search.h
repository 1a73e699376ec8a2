// Where the process looks for a DLL that is named without its folder.
#ifndef VEILQUILL_WIN32_DLL_SEARCH_H
#define VEILQUILL_WIN32_DLL_SEARCH_H

// From here on, a DLL loaded by its name alone (by libgcrypt, by the common dialogs, by the
// system's own libraries) is looked for in the system folder only: never in the program's
// folder or the current folder, where anyone who can write there could have put a DLL of that
// name. The program's own DLLs are loaded by their full paths and are not affected. Called
// first thing by every program, before anything loads a DLL.
void RestrictDllSearchToSystemFolder();

#endif

// Brings a file into the program: reads it, shows it and tells whether it is encrypted.
#ifndef VEILQUILL_LOAD_DOCUMENT_H
#define VEILQUILL_LOAD_DOCUMENT_H

#include <windows.h>

// Takes the path from NamedFilePath when OpenNamedFile is 1, else from the Open dialog.
void LoadDocument(HWND mainWindow);

#endif

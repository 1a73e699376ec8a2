#include "document/load_document.h"

void LoadDocument(HWND) {}

// The document view shows a file as one text: a zero byte would end it early, so every zero
// byte is shown as a space. Only the copy on screen changes; the file keeps its bytes.
#ifndef VEILQUILL_DISPLAY_TEXT_H
#define VEILQUILL_DISPLAY_TEXT_H

#include <cstddef>

void ConvertForDisplay(unsigned char* data, std::size_t length);

#endif

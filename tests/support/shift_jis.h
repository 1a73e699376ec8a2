// The lead bytes of code page 932 (Shift JIS), for tests of texts in a double-byte code page.
#ifndef VEILQUILL_TESTS_SHIFT_JIS_H
#define VEILQUILL_TESTS_SHIFT_JIS_H

#include "document/view_text.h"

namespace vqtest {

inline LeadBytes ShiftJisLeadBytes() {
    LeadBytes leadBytes;
    for (unsigned byte = 0x81; byte <= 0x9F; ++byte)
        leadBytes.set(byte);
    for (unsigned byte = 0xE0; byte <= 0xFC; ++byte)
        leadBytes.set(byte);
    return leadBytes;
}

} // namespace vqtest

#endif

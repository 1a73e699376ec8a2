// The owners of what only the tests and benchmarks hold: device contexts, selections, bitmaps,
// memory inside another process and zeroed global blocks. Built on the programs' one owner
// template, like platform/win32_handles.h.
#ifndef VEILQUILL_TESTS_TEST_HANDLES_H
#define VEILQUILL_TESTS_TEST_HANDLES_H

#include <windows.h>

#include "platform/win32_handles.h"

namespace handle_traits {

// A value that is given back through what it came from: a device context through its window, a
// selection through its device context, memory in another process through that process. The
// source is borrowed and must outlive the value.
template <typename Source, typename T, auto close> struct FromSource {
    struct Type {
        Source source;
        T value;
    };
    static Type Invalid() noexcept { return {Source{}, T{}}; }
    static bool IsValid(Type held) noexcept { return held.value != T{}; }
    static void Close(Type held) noexcept { close(held.source, held.value); }
};

inline void ReleaseWindowDc(HWND window, HDC dc) noexcept {
    ReleaseDC(window, dc);
}
// Selects back what was selected before.
inline void SelectBack(HDC dc, HGDIOBJ previous) noexcept {
    SelectObject(dc, previous);
}
inline void FreeRemoteMemory(HANDLE process, void* address) noexcept {
    VirtualFreeEx(process, address, 0, MEM_RELEASE);
}
inline void DeleteDcHandle(HDC dc) noexcept {
    DeleteDC(dc);
}
inline void FreeGlobalMemory(HGLOBAL memory) noexcept {
    GlobalFree(memory);
}

} // namespace handle_traits

using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueGlobal = Unique<NullIsInvalid<HGLOBAL, handle_traits::FreeGlobalMemory>>;
// GetDC's device context of a window (nullptr: the screen), given back with ReleaseDC.
using UniqueWindowDc = Unique<handle_traits::FromSource<HWND, HDC, handle_traits::ReleaseWindowDc>>;
using UniqueMemoryDc = Unique<NullIsInvalid<HDC, handle_traits::DeleteDcHandle>>;
using UniqueSelection = Unique<handle_traits::FromSource<HDC, HGDIOBJ, handle_traits::SelectBack>>;
// VirtualAllocEx's memory inside another process, freed there with VirtualFreeEx.
using UniqueRemoteMemory =
    Unique<handle_traits::FromSource<HANDLE, void*, handle_traits::FreeRemoteMemory>>;

// The device context of `window` (nullptr: the screen) until the result is destroyed.
inline UniqueWindowDc GetWindowDc(HWND window) noexcept {
    return UniqueWindowDc({window, GetDC(window)});
}

// Selects `object` into `dc` until the result is destroyed.
inline UniqueSelection SelectInto(HDC dc, HGDIOBJ object) noexcept {
    return UniqueSelection({dc, SelectObject(dc, object)});
}

// A fixed, zero-filled block of memory (GlobalAlloc with GMEM_FIXED | GMEM_ZEROINIT, whose
// handle is the block's address).
class ZeroedBlock {
  public:
    ZeroedBlock() = default;
    explicit ZeroedBlock(SIZE_T size) : memory_(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size)) {
        if (memory_.valid())
            size_ = size;
    }

    unsigned char* data() const { return static_cast<unsigned char*>(memory_.get()); }
    char* text() const { return static_cast<char*>(memory_.get()); }
    SIZE_T size() const { return size_; }
    bool valid() const { return memory_.valid(); }

  private:
    UniqueGlobal memory_;
    SIZE_T size_ = 0;
};

#endif

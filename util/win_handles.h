// The Windows kinds of Unique: every handle, GDI or user object, shell allocation and lock the
// programs hold is owned by one of these.
#ifndef VEILQUILL_WIN_HANDLES_H
#define VEILQUILL_WIN_HANDLES_H

#include <windows.h>
#include <ole2.h>

#include "util/unique_resource.h"

namespace handle_traits {

// Kernel handles: CreateFile answers INVALID_HANDLE_VALUE on failure, CreateThread and
// CreateProcess null, so both mean "nothing held".
struct Kernel {
    using Type = HANDLE;
    static Type Invalid() noexcept { return nullptr; }
    static bool IsValid(Type h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static bool Close(Type h) noexcept { return CloseHandle(h) != FALSE; }
};

// Folder enumerations from FindFirstFile, closed with FindClose.
struct Find {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Type h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { FindClose(h); }
};

inline void DeleteGdiObject(HGDIOBJ object) noexcept {
    DeleteObject(object);
}
inline void DestroyIconHandle(HICON icon) noexcept {
    DestroyIcon(icon);
}
inline void DestroyMenuHandle(HMENU menu) noexcept {
    DestroyMenu(menu);
}
// A window that no parent destroys (a top-level or message-only window); destroy it on the
// thread that made it.
inline void DestroyWindowHandle(HWND window) noexcept {
    DestroyWindow(window);
}
inline void FreeTaskMemory(void* memory) noexcept {
    CoTaskMemFree(memory);
}
inline void FreeGlobalMemory(HGLOBAL memory) noexcept {
    GlobalFree(memory);
}
inline void ReleaseSrwLock(SRWLOCK* lock) noexcept {
    ReleaseSRWLockExclusive(lock);
}

// OleInitialize succeeded on this thread; closing it uninitialises. The value is only a mark.
struct OleInitialization {
    using Type = bool;
    static constexpr Type Invalid() noexcept { return false; }
    static bool IsValid(Type held) noexcept { return held; }
    static void Close(Type) noexcept { OleUninitialize(); }
};

} // namespace handle_traits

using UniqueHandle = Unique<handle_traits::Kernel>;
using UniqueFind = Unique<handle_traits::Find>;
template <typename T> using UniqueGdi = Unique<NullIsInvalid<T, handle_traits::DeleteGdiObject>>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueIcon = Unique<NullIsInvalid<HICON, handle_traits::DestroyIconHandle>>;
using UniqueMenu = Unique<NullIsInvalid<HMENU, handle_traits::DestroyMenuHandle>>;
using UniqueWindow = Unique<NullIsInvalid<HWND, handle_traits::DestroyWindowHandle>>;
using UniqueTaskMemory = Unique<NullIsInvalid<void*, handle_traits::FreeTaskMemory>>;
using UniqueGlobal = Unique<NullIsInvalid<HGLOBAL, handle_traits::FreeGlobalMemory>>;
using OleInitialization = Unique<handle_traits::OleInitialization>;
using SrwExclusiveLock = Unique<NullIsInvalid<SRWLOCK*, handle_traits::ReleaseSrwLock>>;

// OLE on the calling thread for as long as the result lives; nothing to undo when it failed.
inline OleInitialization InitializeOle() noexcept {
    return OleInitialization(SUCCEEDED(OleInitialize(nullptr)));
}

// Holds `lock` exclusively until the result is destroyed.
inline SrwExclusiveLock LockExclusive(SRWLOCK& lock) noexcept {
    AcquireSRWLockExclusive(&lock);
    return SrwExclusiveLock(&lock);
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

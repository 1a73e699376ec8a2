// The Windows kinds of Unique: every handle, GDI or user object, shell allocation and lock the
// programs hold is owned by one of these.
#ifndef VEILQUILL_WIN_HANDLES_H
#define VEILQUILL_WIN_HANDLES_H

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

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
inline void FinishDrop(HDROP drop) noexcept {
    DragFinish(drop);
}
inline void FreeLoadedModule(HMODULE module) noexcept {
    FreeLibrary(module);
}
inline void FreeArgumentList(LPWSTR* list) noexcept {
    LocalFree(list);
}
inline void ReleaseSrwLock(SRWLOCK* lock) noexcept {
    ReleaseSRWLockExclusive(lock);
}

// A COM interface pointer holds one reference, given back with Release.
template <typename Interface> void ReleaseComObject(Interface* object) noexcept {
    object->Release();
}

// OleInitialize succeeded on this thread; closing it uninitialises. The value is only a mark.
struct OleInitialization {
    using Type = bool;
    static constexpr Type Invalid() noexcept { return false; }
    static bool IsValid(Type held) noexcept { return held; }
    static void Close(Type) noexcept { OleUninitialize(); }
};

// CoInitializeEx succeeded on this thread; closing it uninitialises. The value is only a mark.
struct ComInitialization {
    using Type = bool;
    static constexpr Type Invalid() noexcept { return false; }
    static bool IsValid(Type held) noexcept { return held; }
    static void Close(Type) noexcept { CoUninitialize(); }
};

} // namespace handle_traits

using UniqueHandle = Unique<handle_traits::Kernel>;
using UniqueFind = Unique<handle_traits::Find>;
template <typename T> using UniqueGdi = Unique<NullIsInvalid<T, handle_traits::DeleteGdiObject>>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueIcon = Unique<NullIsInvalid<HICON, handle_traits::DestroyIconHandle>>;
using UniqueMenu = Unique<NullIsInvalid<HMENU, handle_traits::DestroyMenuHandle>>;
using UniqueWindow = Unique<NullIsInvalid<HWND, handle_traits::DestroyWindowHandle>>;
using UniqueTaskMemory = Unique<NullIsInvalid<void*, handle_traits::FreeTaskMemory>>;
// A drop handed over with WM_DROPFILES, finished with DragFinish.
using UniqueDrop = Unique<NullIsInvalid<HDROP, handle_traits::FinishDrop>>;
// A DLL loaded with LoadLibraryEx, given back with FreeLibrary.
using UniqueModule = Unique<NullIsInvalid<HMODULE, handle_traits::FreeLoadedModule>>;
// The arguments CommandLineToArgvW split off, freed with LocalFree.
using UniqueArgumentList = Unique<NullIsInvalid<LPWSTR*, handle_traits::FreeArgumentList>>;
using OleInitialization = Unique<handle_traits::OleInitialization>;
using ComInitialization = Unique<handle_traits::ComInitialization>;
template <typename Interface>
using UniqueCom = Unique<NullIsInvalid<Interface*, handle_traits::ReleaseComObject<Interface>>>;
using SrwExclusiveLock = Unique<NullIsInvalid<SRWLOCK*, handle_traits::ReleaseSrwLock>>;

// OLE on the calling thread for as long as the result lives; nothing to undo when it failed.
inline OleInitialization InitializeOle() noexcept {
    return OleInitialization(SUCCEEDED(OleInitialize(nullptr)));
}

// A single-threaded COM apartment on the calling thread for as long as the result lives.
inline ComInitialization InitializeCom() noexcept {
    return ComInitialization(
        SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)));
}

// Holds `lock` exclusively until the result is destroyed.
inline SrwExclusiveLock LockExclusive(SRWLOCK& lock) noexcept {
    AcquireSRWLockExclusive(&lock);
    return SrwExclusiveLock(&lock);
}

#endif

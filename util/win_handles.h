// Small owners for Windows handles and memory blocks, so that no early return leaks.
#ifndef VEILQUILL_WIN_HANDLES_H
#define VEILQUILL_WIN_HANDLES_H

#include <windows.h>

#include <cstddef>
#include <utility>

// A kernel handle closed with CloseHandle (files, threads, processes).
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : handle_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(handle_, nullptr); }
    void reset(HANDLE h = nullptr) {
        if (valid())
            CloseHandle(handle_);
        handle_ = h;
    }

  private:
    HANDLE handle_ = nullptr;
};

// A directory enumeration closed with FindClose.
class FindHandle {
  public:
    FindHandle() = default;
    explicit FindHandle(HANDLE h) : handle_(h) {}
    ~FindHandle() {
        if (valid())
            FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// A fixed, zero-filled memory block (GlobalAlloc with GMEM_ZEROINIT), locked while owned.
class ZeroedBlock {
  public:
    ZeroedBlock() = default;
    explicit ZeroedBlock(std::size_t size) {
        memory_ = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size);
        if (memory_ != nullptr)
            data_ = static_cast<unsigned char*>(GlobalLock(memory_));
        if (data_ != nullptr)
            size_ = size;
    }
    ~ZeroedBlock() { reset(); }
    ZeroedBlock(const ZeroedBlock&) = delete;
    ZeroedBlock& operator=(const ZeroedBlock&) = delete;
    ZeroedBlock(ZeroedBlock&& other) noexcept
        : memory_(std::exchange(other.memory_, nullptr)),
          data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

    unsigned char* data() const { return data_; }
    char* text() const { return reinterpret_cast<char*>(data_); }
    std::size_t size() const { return size_; }
    bool valid() const { return data_ != nullptr; }
    void reset() {
        if (memory_ != nullptr) {
            if (data_ != nullptr)
                GlobalUnlock(memory_);
            GlobalFree(memory_);
        }
        memory_ = nullptr;
        data_ = nullptr;
        size_ = 0;
    }

  private:
    HGLOBAL memory_ = nullptr;
    unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
};

// A GDI object (font, brush, bitmap) deleted with DeleteObject.
template <typename T> class GdiObject {
  public:
    GdiObject() = default;
    explicit GdiObject(T object) : object_(object) {}
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    T get() const { return object_; }
    void reset(T object = nullptr) {
        if (object_ != nullptr)
            DeleteObject(object_);
        object_ = object;
    }

  private:
    T object_ = nullptr;
};

#endif

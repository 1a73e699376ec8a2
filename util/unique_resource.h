// One owner for every kind of handle or allocation: a move-only value that closes what it holds
// when it is destroyed or reset. Each kind is described by a small traits type giving the held
// type, the value meaning "nothing held", whether a value is valid, and how to close it.
// Portable: it needs no Windows headers; the Windows kinds are in platform/win32_handles.h,
// the Linux ones in platform/posix/handles.h.
#ifndef VEILQUILL_UNIQUE_RESOURCE_H
#define VEILQUILL_UNIQUE_RESOURCE_H

#include <utility>

template <typename Traits> class Unique {
  public:
    using Type = typename Traits::Type;

    Unique() noexcept = default;
    explicit Unique(Type value) noexcept : value_(value) {}
    ~Unique() { reset(); }

    Unique(Unique&& other) noexcept : value_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    Type get() const noexcept { return value_; }
    bool valid() const noexcept { return Traits::IsValid(value_); }
    explicit operator bool() const noexcept { return valid(); }

    // Gives up ownership without closing.
    Type release() noexcept { return std::exchange(value_, Traits::Invalid()); }

    // Closes what is held, if anything, and takes `value` instead.
    void reset(Type value = Traits::Invalid()) noexcept {
        Type old = std::exchange(value_, value);
        if (Traits::IsValid(old))
            Traits::Close(old);
    }

    // Closes what is held now and tells whether that succeeded, for kinds whose close reports
    // a failure that matters (a file's last writes can fail as it is closed). Nothing held
    // counts as closed.
    bool close() noexcept {
        const Type old = release();
        return !Traits::IsValid(old) || Traits::Close(old);
    }

    // For functions that hand a new value back through a pointer: closes what is held first.
    Type* put() noexcept {
        reset();
        return &value_;
    }

  private:
    Type value_ = Traits::Invalid();
};

// Traits for the common case: a pointer-like value, null when nothing is held, closed by
// calling `close` on it.
template <typename T, auto close> struct NullIsInvalid {
    using Type = T;
    static constexpr T Invalid() noexcept { return T{}; }
    static bool IsValid(T value) noexcept { return value != T{}; }
    static void Close(T value) noexcept { close(value); }
};

#endif

// The one owner template behind the handle, key, GDI object and DC owners: closed exactly once.
#pragma once

#include <utility>

namespace platform {

// Owns one value of Traits::Type. Traits gives `empty` (the value that owns nothing), `normal`
// (maps every "no object" value an API returns, such as INVALID_HANDLE_VALUE, to `empty`) and
// `close` (gives the object back). Move-only.
template <typename Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() = default;
    explicit UniqueResource(Type value) : value_(Traits::normal(value)) {}
    ~UniqueResource() { reset(); }
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    Type get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::empty; }
    // Hands the object to a new owner (SetWindowRgn owns a region once the call has succeeded).
    Type release() { return std::exchange(value_, Traits::empty); }
    void reset(Type value = Traits::empty)
    {
        Type old = std::exchange(value_, Traits::normal(value));
        if (old != Traits::empty)
            Traits::close(old);
    }
    // For the calls that hand an object back through a pointer; closes what was held first.
    Type* out()
    {
        reset();
        return &value_;
    }

private:
    Type value_ = Traits::empty;
};

// The traits of a pointer-like handle that is empty when null and given back with `Close`.
template <typename T, auto Close>
struct PointerTraits {
    using Type = T;
    static constexpr Type empty = nullptr;
    static Type normal(Type value) { return value; }
    static void close(Type value) { Close(value); }
};

}  // namespace platform

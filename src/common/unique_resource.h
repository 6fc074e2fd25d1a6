#pragma once
// Owner of one OS resource; Traits names its type, its invalid value and how
// it is released. Most owners are one-line aliases over ClosedBy.
#include <utility>

namespace jlaunch {

template <typename Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() noexcept = default;
    explicit UniqueResource(Type value) noexcept : value_(value) {}
    ~UniqueResource() { reset(); }
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    Type get() const noexcept { return value_; }
    bool valid() const noexcept { return value_ != Traits::invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    Type release() noexcept { return std::exchange(value_, Traits::invalid()); }
    void reset(Type value = Traits::invalid()) noexcept {
        Type old = std::exchange(value_, value);
        if (old != Traits::invalid()) {
            Traits::close(old);
        }
    }
    // For functions that hand a new resource out through a pointer: the
    // current one is released first.
    Type* out() noexcept {
        reset();
        return &value_;
    }

private:
    Type value_ = Traits::invalid();
};

template <typename T>
constexpr T nullResource() noexcept {
    return T{};
}

// Traits of a resource released by calling `Close` on it, whose invalid
// value `Invalid()` answers (null by default).
template <typename T, auto Close, auto Invalid = &nullResource<T>>
struct ClosedBy {
    using Type = T;
    static Type invalid() noexcept { return Invalid(); }
    static void close(Type value) noexcept { Close(value); }
};

}  // namespace jlaunch

#pragma once
// A reference to a callable for the length of one call: no allocation, no
// copy of the callable and no type information, where std::function keeps
// all three (and each use costs the exe a handler of its own).
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace jlaunch {

template <typename Signature>
class FunctionRef;

template <typename Result, typename... Arguments>
class FunctionRef<Result(Arguments...)> {
public:
    // Implicit: it stands in for the callable itself; never for a FunctionRef.
    template <typename Callable>
    requires(!std::is_same_v<std::remove_cvref_t<Callable>, FunctionRef> &&
             std::is_invocable_r_v<Result, Callable&, Arguments...>)
        FunctionRef(Callable&& callable)  // NOLINT(google-explicit-constructor,bugprone-forwarding-reference-overload)
        : object_(const_cast<void*>(static_cast<const void*>(std::addressof(callable)))),
          call_([](void* object, Arguments... arguments) -> Result {
              return std::invoke(*static_cast<std::remove_reference_t<Callable>*>(object),
                                 std::forward<Arguments>(arguments)...);
          }) {}

    Result operator()(Arguments... arguments) const { return call_(object_, std::forward<Arguments>(arguments)...); }

private:
    void* object_;
    Result (*call_)(void* object, Arguments... arguments);
};

}  // namespace jlaunch

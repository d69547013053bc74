#pragma once
// A view of something callable that somebody else keeps alive: two pointers,
// no allocation, one indirect call. The walks call their visitors once per key
// and value, so they take these rather than std::function. A view made from a
// temporary lives only as long as that temporary: pass it straight into the
// call, keep a named callable for anything stored.

#include <memory>
#include <type_traits>
#include <utility>

template <class Signature>
class FunctionRef;

template <class Result, class... Args>
class FunctionRef<Result(Args...)> {
  public:
    FunctionRef() noexcept = default;

    template <class Callable,
              class = std::enable_if_t<!std::is_same_v<std::decay_t<Callable>, FunctionRef> &&
                                       std::is_invocable_r_v<Result, Callable&, Args...>>>
    FunctionRef(Callable&& callable) noexcept {
        using Target = std::remove_reference_t<Callable>;
        if constexpr (std::is_function_v<Target>) {
            m_target.function = reinterpret_cast<void (*)()>(&callable);
            m_call = &CallFunction<Target>;
        } else if constexpr (std::is_pointer_v<Target> &&
                             std::is_function_v<std::remove_pointer_t<Target>>) {
            m_target.function = reinterpret_cast<void (*)()>(callable);
            m_call = callable ? &CallFunction<std::remove_pointer_t<Target>> : nullptr;
        } else {
            m_target.object = const_cast<void*>(static_cast<const void*>(std::addressof(callable)));
            m_call = &CallObject<Target>;
        }
    }

    Result operator()(Args... args) const { return m_call(m_target, std::forward<Args>(args)...); }
    explicit operator bool() const noexcept { return m_call != nullptr; }

  private:
    union Target {
        void* object;
        void (*function)();
    };

    template <class Object>
    static Result CallObject(Target target, Args... args) {
        return (*static_cast<Object*>(target.object))(std::forward<Args>(args)...);
    }
    template <class Function>
    static Result CallFunction(Target target, Args... args) {
        return reinterpret_cast<Function*>(target.function)(std::forward<Args>(args)...);
    }

    Target m_target{nullptr};
    Result (*m_call)(Target, Args...) = nullptr;
};

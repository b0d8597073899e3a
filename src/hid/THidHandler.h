#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

// An event handler: a function and the receiver it is called on. Handlers
// compare by their function only, so the same member function bound to two
// receivers counts as the same handler, and assigning it again changes nothing.
template <typename Signature>
class THidHandler;

template <typename R, typename... Args>
class THidHandler<R(Args...)> {
public:
    using Function = R (*)(Args...);

    THidHandler() = default;

    // A plain function, called without a receiver.
    THidHandler(Function function) {  // NOLINT: implicit on purpose, like a function pointer
        if (function != nullptr) {
            invoke_ = &invokeFunction;
            store(function);
        }
    }

    // `method` called on `receiver`, e.g. THidDataEvent::bind(this, &TMainForm::ShowRead).
    template <typename Receiver, typename Class>
    static THidHandler bind(Receiver* receiver, R (Class::*method)(Args...)) {
        static_assert(std::is_base_of_v<Class, Receiver>);
        THidHandler handler;
        if (receiver != nullptr && method != nullptr) {
            handler.invoke_ = &invokeMethod<Class>;
            handler.store(method);
            handler.receiver_ = static_cast<Class*>(receiver);
        }
        return handler;
    }

    explicit operator bool() const { return invoke_ != nullptr; }
    void* receiver() const { return receiver_; }

    R operator()(Args... args) const { return invoke_(*this, static_cast<Args>(args)...); }

    friend bool operator==(const THidHandler& a, const THidHandler& b) {
        return a.invoke_ == b.invoke_ &&
               std::memcmp(a.function_, b.function_, sizeof a.function_) == 0;
    }

private:
    using Invoker = R (*)(const THidHandler&, Args...);

    template <typename F>
    void store(F function) {
        static_assert(sizeof(F) <= sizeof function_ && std::is_trivially_copyable_v<F>);
        std::memcpy(function_, &function, sizeof(F));
    }

    template <typename F>
    F load() const {
        F function;
        std::memcpy(&function, function_, sizeof(F));
        return function;
    }

    static R invokeFunction(const THidHandler& self, Args... args) {
        return self.load<Function>()(static_cast<Args>(args)...);
    }

    template <typename Class>
    static R invokeMethod(const THidHandler& self, Args... args) {
        auto method = self.load<R (Class::*)(Args...)>();
        return (static_cast<Class*>(self.receiver_)->*method)(static_cast<Args>(args)...);
    }

    Invoker invoke_ = nullptr;
    // The function's bytes, zero beyond its size, so that equal functions compare equal.
    alignas(std::max_align_t) unsigned char function_[3 * sizeof(void*)] = {};
    void* receiver_ = nullptr;
};

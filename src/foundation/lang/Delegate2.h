#pragma once

#include <array>
#include <cstring>
#include <memory>

namespace Tessel::CppLang {

// What every delegate carries: its removal mark and its identity, the target object together
// with the bound member function. The member function is kept as the bytes of its pointer, so
// delegates of different target classes can be compared without knowing each other's types.
class delegate_base {
public:
    using FunctionBytes = std::array<unsigned char, 2 * sizeof(void*)>;

    delegate_base(void* boundTarget, const FunctionBytes& boundFunction)
        : target(boundTarget), function(boundFunction) {}

    bool SameIdentity(const delegate_base& other) const { return target == other.target && function == other.function; }

    bool removed = false;
    void* target;
    FunctionBytes function;

protected:
    ~delegate_base() = default;
    delegate_base(const delegate_base&) = default;
    delegate_base& operator=(const delegate_base&) = default;
};

// A delegate taking two arguments, as an event holds it.
template <typename A1, typename A2> class delegate2_base : public delegate_base {
public:
    virtual ~delegate2_base() = default;
    // A new heap copy of the whole delegate, its removal mark included.
    virtual std::unique_ptr<delegate2_base> Clone() const = 0;
    virtual void Invoke(A1 a1, A2 a2) = 0;

protected:
    using delegate_base::delegate_base;
    delegate2_base(const delegate2_base&) = default;
    delegate2_base& operator=(const delegate2_base&) = default;
};

// A member function of TBase taking (A1, A2), bound to an object of class T. The target is not
// owned: it must outlive the delegate's subscription.
template <typename T, typename TBase, typename A1, typename A2> class delegate2 : public delegate2_base<A1, A2> {
public:
    using Method = void (TBase::*)(A1, A2);

    delegate2(T* target, Method method)
        : delegate2_base<A1, A2>(static_cast<void*>(target), BytesOf(method)), mTarget(target), mMethod(method) {}

    std::unique_ptr<delegate2_base<A1, A2>> Clone() const override { return std::make_unique<delegate2>(*this); }
    void Invoke(A1 a1, A2 a2) override { (mTarget->*mMethod)(a1, a2); }

private:
    static delegate_base::FunctionBytes BytesOf(Method method) {
        static_assert(sizeof(Method) <= sizeof(delegate_base::FunctionBytes));
        delegate_base::FunctionBytes bytes{};
        std::memcpy(bytes.data(), &method, sizeof(Method));
        return bytes;
    }

    T* mTarget;
    Method mMethod;
};

} // namespace Tessel::CppLang

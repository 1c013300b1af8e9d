#pragma once
// A dispatchable class in a few lines: give it a member table and bind the
// members it implements; unbound members answer E_NOTIMPL.
//
//   class Counter : public nv::DispatchObject<Counter> {
//   public:
//       Counter() : DispatchObject(kCounterInterface) {}
//       static void BindMembers(Binder& b)
//       {
//           b.Get("Count", &Counter::Count);             // int32_t Count()
//           b.Put("Count", &Counter::SetCount);          // void SetCount(int32_t)
//           b.Method("Add", [](Counter& c, nv::Args a) { return nv::Variant(c.n += a[0].i4()); });
//       }
//   };
//
// Arguments reach handlers already coerced to the declared types, in call
// order, a put's value last. A by-reference parameter is written back to the
// caller's variant when the handler returns; take it as Variant&.
// Any exception thrown by a handler becomes an error record (an
// AutomationError keeps its status, anything else is DISP_E_EXCEPTION).
#include "platform/automation/Dispatch.h"

#include <array>
#include <functional>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace nv {

using Args = std::span<Variant>;

// Checks id, kind and argument count and coerces the arguments into
// coerced[0..count), optional ones left out as Missing. Returns S_OK and the
// member, or a failure status with the record filled.
HRESULT PrepareInvoke(const InterfaceInfo& info, int32_t id, uint16_t flags, std::span<Variant> args,
                      std::array<Variant, kMaxParams + 1>& coerced, size_t& count, const MemberInfo*& member,
                      bool& put, ErrorRecord* error) noexcept;
// Writes by-reference arguments back to the caller's variants.
void FinishInvoke(const MemberInfo& member, bool put, std::span<Variant> args,
                  std::array<Variant, kMaxParams + 1>& coerced) noexcept;
// The status and record for the exception being handled (call from a catch).
HRESULT RecordCurrentException(ErrorRecord* error) noexcept;
HRESULT LookUpName(const InterfaceInfo& info, std::string_view name, int32_t* id) noexcept;

namespace detail {

template <class A>
decltype(auto) ArgAs(Variant& v)
{
    using D = std::remove_cvref_t<A>;
    if constexpr (std::is_same_v<D, Variant>) return static_cast<Variant&>(v);
    else if constexpr (std::is_same_v<D, int16_t>) return v.ToInteger();
    else if constexpr (std::is_same_v<D, int32_t>) return v.ToLong();
    else if constexpr (std::is_same_v<D, float>) return v.ToSingle();
    else if constexpr (std::is_same_v<D, double>) return v.ToDouble();
    else if constexpr (std::is_same_v<D, bool>) return v.ToBool();
    else if constexpr (std::is_same_v<D, uint8_t>) return v.ToByte();
    else if constexpr (std::is_same_v<D, std::string>) return v.ToString();
    else if constexpr (std::is_same_v<D, Ref<Dispatch>>) return v.ToObject();
    else static_assert(sizeof(D) == 0, "argument type has no variant coercion");
}

template <class>
struct IsRef : std::false_type {};
template <class X>
struct IsRef<Ref<X>> : std::true_type {};

template <class R>
Variant ToVariant(R&& r)
{
    using D = std::remove_cvref_t<R>;
    if constexpr (std::is_same_v<D, Variant>) return std::forward<R>(r);
    else if constexpr (IsRef<D>::value) return Variant(static_cast<Dispatch*>(r.get()));
    else if constexpr (std::is_pointer_v<D> && std::is_base_of_v<Dispatch, std::remove_pointer_t<D>>)
        return Variant(static_cast<Dispatch*>(r));
    else return Variant(std::forward<R>(r));
}

} // namespace detail

template <class T>
class DispatchObject : public RefCounted<Dispatch> {
public:
    using Handler = std::function<Variant(T&, Args)>;

    class Binder {
    public:
        explicit Binder(const InterfaceInfo& info) : info_(info), get_(info.members.size()), put_(info.members.size()) {}
        // A property get or a method.
        template <class F>
        void Get(std::string_view name, F&& f) { get_[Index(name)] = Wrap(std::forward<F>(f)); }
        template <class F>
        void Method(std::string_view name, F&& f) { get_[Index(name)] = Wrap(std::forward<F>(f)); }
        template <class F>
        void Put(std::string_view name, F&& f) { put_[Index(name)] = Wrap(std::forward<F>(f)); }

        const InterfaceInfo& info_;
        std::vector<Handler> get_;
        std::vector<Handler> put_;

    private:
        size_t Index(std::string_view name) const
        {
            const MemberInfo* m = info_.Find(name);
            // A binding of ours naming what the type does not declare.
            if (!m)
                throw AutomationError(DISP_E_UNKNOWNNAME,
                                      "部品 " + std::string(info_.name) + " に " + std::string(name) + " という項目はありません。");
            return size_t(m - info_.members.data());
        }
        // Handler from a member function R (T::*)(A...), a callable
        // Variant(T&, Args), or a callable void(T&, Args).
        template <class F>
        static Handler Wrap(F&& f)
        {
            using D = std::decay_t<F>;
            if constexpr (std::is_member_function_pointer_v<D>) return WrapMember(f);
            else if constexpr (std::is_void_v<std::invoke_result_t<D&, T&, Args>>)
                return [f = std::forward<F>(f)](T& self, Args a) { f(self, a); return Variant(); };
            else return [f = std::forward<F>(f)](T& self, Args a) { return detail::ToVariant(f(self, a)); };
        }
        template <class R, class C, class... A>
        static Handler WrapMember(R (C::*fn)(A...)) { return WrapMemberImpl<R, A...>(fn, std::index_sequence_for<A...>{}); }
        template <class R, class C, class... A>
        static Handler WrapMember(R (C::*fn)(A...) const) { return WrapMemberImpl<R, A...>(fn, std::index_sequence_for<A...>{}); }
        template <class R, class... A, class Fn, size_t... I>
        static Handler WrapMemberImpl(Fn fn, std::index_sequence<I...>)
        {
            return [fn](T& self, Args a) -> Variant {
                if (a.size() < sizeof...(A)) throw AutomationError(DISP_E_BADPARAMCOUNT);
                if constexpr (std::is_void_v<R>) {
                    (self.*fn)(detail::ArgAs<A>(a[I])...);
                    return Variant();
                } else {
                    return detail::ToVariant((self.*fn)(detail::ArgAs<A>(a[I])...));
                }
            };
        }
    };

    HRESULT GetIDOfName(std::string_view name, int32_t* id) override { return LookUpName(info_, name, id); }

    HRESULT Invoke(int32_t id, uint16_t flags, std::span<Variant> args, Variant* result, ErrorRecord* error) override
    {
        std::array<Variant, kMaxParams + 1> coerced;
        const MemberInfo* member = nullptr;
        bool put = false;
        size_t count = 0;
        HRESULT hr = PrepareInvoke(info_, id, flags, args, coerced, count, member, put, error);
        if (hr != S_OK) return hr;
        size_t index = size_t(member - info_.members.data());
        const Binder& b = Bindings();
        const Handler& h = put ? b.put_[index] : b.get_[index];
        if (!h) return E_NOTIMPL;
        Args coercedArgs(coerced.data(), count);
        try {
            Variant r = h(static_cast<T&>(*this), coercedArgs);
            if (result && !put) *result = std::move(r);
        } catch (...) {
            return RecordCurrentException(error);
        }
        FinishInvoke(*member, put, args, coerced);
        return S_OK;
    }

    const InterfaceInfo* TypeInfo() override { return &info_; }

    void* QueryInterface(std::string_view iid) override
    {
        if (iid == kIID_IDispatch) return static_cast<Dispatch*>(this);
        return RefCounted<Dispatch>::QueryInterface(iid);
    }

protected:
    explicit DispatchObject(const InterfaceInfo& info) : info_(info) { Bindings(); }

private:
    const Binder& Bindings()
    {
        static const Binder b = [this] {
            Binder x(info_);
            T::BindMembers(x);
            return x;
        }();
        return b;
    }

    const InterfaceInfo& info_;
};

} // namespace nv

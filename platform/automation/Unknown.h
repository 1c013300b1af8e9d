#pragma once
// Reference-counted objects: the root interface, a base that counts, an
// owning pointer and a weak back-link that notices when its target is gone.
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>

namespace nv {

// Interface names that QueryInterface answers.
inline constexpr std::string_view kIID_IUnknown = "IUnknown";
inline constexpr std::string_view kIID_IDispatch = "IDispatch";
inline constexpr std::string_view kIID_IEnumVARIANT = "IEnumVARIANT";
inline constexpr std::string_view kIID_QWidget = "QWidget";

class Unknown {
public:
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;
    // A pointer to the named interface, or nullptr. No reference is added:
    // the pointer is good while the object lives.
    virtual void* QueryInterface(std::string_view iid) = 0;

protected:
    virtual ~Unknown() = default;
};

// Shared by an object and its weak links; cleared when the object dies.
struct LifeToken {
    bool alive = true;
};

// Counts references for any interface Base derived from Unknown; deletes
// itself at zero. Objects start with a count of 0: wrap them in a Ref.
template <class Base>
class RefCounted : public Base {
public:
    uint32_t AddRef() override { return ++refs_; }
    uint32_t Release() override
    {
        uint32_t n = --refs_;
        if (n == 0) delete this;
        return n;
    }
    void* QueryInterface(std::string_view iid) override
    {
        return iid == kIID_IUnknown ? static_cast<Unknown*>(this) : nullptr;
    }
    uint32_t RefCount() const { return refs_; }
    std::shared_ptr<LifeToken> Token()
    {
        if (!token_) token_ = std::make_shared<LifeToken>();
        return token_;
    }

protected:
    RefCounted() = default;
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;
    ~RefCounted() override
    {
        if (token_) token_->alive = false;
    }

private:
    uint32_t refs_ = 0;
    std::shared_ptr<LifeToken> token_;
};

// An owning pointer: AddRef on taking, Release on letting go.
template <class T>
class Ref {
public:
    Ref() = default;
    Ref(std::nullptr_t) {}
    Ref(T* p) : p_(p) { if (p_) p_->AddRef(); }
    Ref(const Ref& o) : Ref(o.p_) {}
    Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    template <class U>
    Ref(const Ref<U>& o) : Ref(static_cast<T*>(o.Get())) {}
    ~Ref() { Reset(); }
    Ref& operator=(Ref o) noexcept
    {
        std::swap(p_, o.p_);
        return *this;
    }
    void Reset()
    {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    // Takes over a reference that was already added (an out parameter).
    static Ref Adopt(T* p)
    {
        Ref r;
        r.p_ = p;
        return r;
    }
    // Gives up ownership without releasing.
    T* Detach() { return std::exchange(p_, nullptr); }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }
    friend bool operator==(const Ref& a, const Ref& b) { return a.p_ == b.p_; }

private:
    T* p_ = nullptr;
};

template <class T, class... A>
Ref<T> MakeRef(A&&... a)
{
    return Ref<T>(new T(std::forward<A>(a)...));
}

// A back-link that holds no reference (a layer to its form, a wrapper to its
// control): get() gives nullptr once the target was destroyed.
template <class T>
class WeakRef {
public:
    WeakRef() = default;
    WeakRef(T* p) : p_(p), token_(p ? p->Token() : nullptr) {}
    T* Get() const { return token_ && token_->alive ? p_ : nullptr; }
    bool Expired() const { return Get() == nullptr; }
    void Reset()
    {
        p_ = nullptr;
        token_.reset();
    }

private:
    T* p_ = nullptr;
    std::shared_ptr<LifeToken> token_;
};

} // namespace nv

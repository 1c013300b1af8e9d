#pragma once
// The serialisable object root and its runtime class records.
//
// A class that travels in archives:
//   class TvLayer : public CObject {
//       NV_DECLARE_SERIAL(TvLayer)
//   public:
//       void Serialize(Archive& ar, uint32_t schema) override;
//   };
//   // in the .cpp:
//   NV_IMPLEMENT_SERIAL(TvLayer, CObject, 2, true)
// and one line in the library's registration function (for the model:
// RegisterModelClasses in engine/model/ModelClasses.cpp):
//   registry.Register(TvLayer::Class());
#include <cstdint>
#include <memory>
#include <string>

namespace nv {

class Archive;
class CObject;

struct ClassInfo {
    // Stored in class records; must stay what existing files hold.
    const char* name;
    // Schema written in class records (16 bits on disk).
    uint16_t schema;
    // Versionable classes accept any stored schema and receive it.
    bool versionable;
    // The registered base class, used for kind-of tests; may differ from the
    // C++ base. Null only for CObject.
    const ClassInfo* base;
    // Creates a default instance; null for abstract classes.
    std::unique_ptr<CObject> (*create)();

    bool IsDerivedFrom(const ClassInfo& other) const;
};

class CObject {
public:
    virtual ~CObject() = default;

    static const ClassInfo& Class();

    // 1: runtime class
    virtual const ClassInfo& GetRuntimeClass() const = 0;
    // 3: stores or loads the object. `schema` is the schema of the class
    // record the object was read under (loading) or the class's own schema
    // (storing, and when called directly without a class record).
    virtual void Serialize(Archive& ar, uint32_t schema);
    // 4, 5: diagnostics
    virtual void AssertValid() const {}
    virtual std::string Dump() const;

    bool IsKindOf(const ClassInfo& cls) const { return GetRuntimeClass().IsDerivedFrom(cls); }
};

// Checked downcast by kind-of (null when not of that class).
template <class T>
T* DynamicDowncast(CObject* o)
{
    return (o && o->IsKindOf(T::Class())) ? static_cast<T*>(o) : nullptr;
}
template <class T>
const T* DynamicDowncast(const CObject* o)
{
    return (o && o->IsKindOf(T::Class())) ? static_cast<const T*>(o) : nullptr;
}

} // namespace nv

// In the class body (leaves the access at public).
#define NV_DECLARE_SERIAL(cls)                                                   \
public:                                                                          \
    static const ::nv::ClassInfo& Class();                                       \
    const ::nv::ClassInfo& GetRuntimeClass() const override { return Class(); }

// In one .cpp, at namespace scope inside namespace nv.
#define NV_IMPLEMENT_SERIAL(cls, baseCls, schemaValue, isVersionable)                                   \
    const ::nv::ClassInfo& cls::Class()                                                                 \
    {                                                                                                   \
        static const ::nv::ClassInfo info{                                                              \
            #cls, static_cast<uint16_t>(schemaValue), isVersionable, &baseCls::Class(),                 \
            []() -> std::unique_ptr<::nv::CObject> { return std::unique_ptr<::nv::CObject>(new cls()); }}; \
        return info;                                                                                    \
    }

// The same with the stored name given as a constant (engine/core/StoredNames.h):
//   NV_IMPLEMENT_SERIAL_NAMED(TvBox, kClassTvBox, TvGraphic, 10, true)
#define NV_IMPLEMENT_SERIAL_NAMED(cls, storedName, baseCls, schemaValue, isVersionable)                 \
    const ::nv::ClassInfo& cls::Class()                                                                 \
    {                                                                                                   \
        static const ::nv::ClassInfo info{                                                              \
            storedName, static_cast<uint16_t>(schemaValue), isVersionable, &baseCls::Class(),           \
            []() -> std::unique_ptr<::nv::CObject> { return std::unique_ptr<::nv::CObject>(new cls()); }}; \
        return info;                                                                                    \
    }

// For an abstract class (kind-of tests only, never created from an archive).
#define NV_IMPLEMENT_ABSTRACT(cls, baseCls)                                               \
    const ::nv::ClassInfo& cls::Class()                                                   \
    {                                                                                     \
        static const ::nv::ClassInfo info{#cls, 0xFFFF, false, &baseCls::Class(), nullptr}; \
        return info;                                                                      \
    }

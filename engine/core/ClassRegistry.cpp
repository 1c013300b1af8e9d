#include "engine/core/ClassRegistry.h"

#include "engine/core/AppException.h"
#include "engine/core/Archive.h"
#include "engine/core/ChangeData.h"
#include "platform/core/Cp932.h"

namespace nv {

bool ClassInfo::IsDerivedFrom(const ClassInfo& other) const
{
    for (const ClassInfo* c = this; c; c = c->base)
        if (c == &other) return true;
    return false;
}

const ClassInfo& CObject::Class()
{
    static const ClassInfo info{"CObject", 0xFFFF, false, nullptr, nullptr};
    return info;
}

void CObject::Serialize(Archive&, uint32_t) {}

std::string CObject::Dump() const
{
    return std::string("a ") + GetRuntimeClass().name;
}

ClassRegistry& ClassRegistry::Instance()
{
    static ClassRegistry registry;
    return registry;
}

void ClassRegistry::Register(const ClassInfo& cls)
{
    std::lock_guard lock(mutex_);
    auto [it, added] = byName_.emplace(cls.name, &cls);
    if (!added && it->second != &cls)
        ThrowAppExceptionText(Utf8ToCp932Lossy("クラス %s が二度登録されています。"), cls.name);
}

const ClassInfo* ClassRegistry::Find(std::string_view name) const
{
    std::lock_guard lock(mutex_);
    auto it = byName_.find(std::string(name));
    return it == byName_.end() ? nullptr : it->second;
}

void RegisterCoreClasses()
{
    ClassRegistry& r = ClassRegistry::Instance();
    r.Register(CChangeData::Class());
}

} // namespace nv

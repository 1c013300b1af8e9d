#pragma once
// The process-wide table of classes an archive may create by name. Filled
// explicitly (RegisterCoreClasses, RegisterModelClasses), never by static
// initialisers, so that what is registered never depends on what a link kept.
#include "engine/core/CObject.h"

#include <mutex>
#include <string_view>
#include <unordered_map>

namespace nv {

class ClassRegistry {
public:
    static ClassRegistry& Instance();

    // Adding the same class twice is harmless; a different class under a
    // name already taken is a programming error (throws CAppException).
    void Register(const ClassInfo& cls);
    const ClassInfo* Find(std::string_view name) const;

private:
    mutable std::mutex mutex_;
    std::unordered_map<std::string, const ClassInfo*> byName_;
};

// Classes of engine/core (CChangeData). Idempotent.
void RegisterCoreClasses();

} // namespace nv

#include "engine/model/ModelClasses.h"

#include "engine/core/ClassRegistry.h"
#include "engine/core/TvObject.h"

namespace nv {

void RegisterModelClasses()
{
    RegisterCoreClasses();
    ClassRegistry& r = ClassRegistry::Instance();
    r.Register(TvObject::Class());
    // One line per serialisable class of the model:
}

} // namespace nv

#include "engine/model/ModelClasses.h"

#include "engine/core/ClassRegistry.h"
#include "engine/core/TvObject.h"
#include "engine/model/TvFedObject.h"
#include "engine/model/TvFontDesc.h"
#include "engine/model/TvFormInfo.h"
#include "engine/model/TvLayer.h"

namespace nv {

void RegisterModelClasses()
{
    RegisterCoreClasses();
    ClassRegistry& r = ClassRegistry::Instance();
    r.Register(TvObject::Class());
    r.Register(TvFedObject::Class());
    r.Register(TvFormInfo::Class());
    r.Register(TvFontDesc::Class());
    r.Register(TvLayer::Class());
    // One line per serialisable class of the model:
}

} // namespace nv

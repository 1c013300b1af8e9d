#include "control/PropertyAccess.h"

namespace nv {

// Until the vocabulary's converter pairs are in, values pass unchanged.
int32_t EnumToEngine(EnumKind, int32_t value) { return value; }
int32_t EnumFromEngine(EnumKind, int32_t value) { return value; }

} // namespace nv

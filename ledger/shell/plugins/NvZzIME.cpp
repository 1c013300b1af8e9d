#include "ledger/shell/ime/ImeComponent.h"

NV_DEFINE_PLUGIN({"NvZzIME.imeClass", nullptr, "imeClass", nullptr, &nv::CreateImeComponent})
